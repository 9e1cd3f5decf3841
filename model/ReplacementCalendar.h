#pragma once

#include "LifePercentDraws.h"
#include "SimulationPlan.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace model {

// The lamps of one scheme, kept by the day they burn out instead of being worn day by day. A new
// lamp's life in days follows from its zone's daily wear and its draw alone, so it is looked up in
// a table made once per zone and draw, and the lamp is filed under the day it goes. Each day the
// lamps filed under it are replaced in the order of the plain day loop (zone by zone, lamp by
// lamp), so every draw lands on the same lamp. All memory is taken when the calendar is made.
class ReplacementCalendar {
public:
    explicit ReplacementCalendar(const SchemePlan& scheme);

    // Puts in the first lamp of every place, in visiting order.
    void Fill(LifePercentDraws& draws);

    // Replaces the lamps that burn out on `day` (days in ascending order) and returns how many.
    std::int64_t ReplaceDay(std::int32_t day, LifePercentDraws& draws);

private:
    // A day's lamps are filed in batches of slots: slot 0 of a batch links to the day's previous
    // batch, the others hold lamps. Per day only the position of its next free slot is kept
    // (0: nothing filed), so filing a lamp costs one look-up. Large batches make starting a new
    // one, a branch the processor cannot foresee, rare; a batch is first written when first
    // needed, so the memory of the many that are never needed is never touched.
    static constexpr std::int32_t BatchSlots = 128;

    // A zone whose lamps all go on their first day of wear, whatever the draw.
    struct DailyZone {
        std::int32_t FirstLamp;
        std::int32_t LampCount;
    };

    // Files lamps under the day they go. Works on plain pointers held in registers, so that the
    // stores into the batches do not make the compiler fetch the vectors' data again each time.
    class Filer {
    public:
        explicit Filer(ReplacementCalendar& calendar)
            : calendar_(calendar), lives_(calendar.lives_.data()),
              lifeRows_(calendar.lifeRows_.data()), slots_(calendar.slots_.get()),
              nextSlot_(calendar.nextSlot_.data()), freeBatch_(calendar.freeBatch_),
              unusedBatch_(calendar.unusedBatch_) {}
        ~Filer() {
            calendar_.freeBatch_ = freeBatch_;
            calendar_.unusedBatch_ = unusedBatch_;
        }
        Filer(const Filer&) = delete;
        Filer& operator=(const Filer&) = delete;

        // The day a lamp put in on installedDay with this draw goes.
        std::int32_t Goes(std::int32_t lamp, std::int32_t installedDay, std::uint32_t draw) const {
            return installedDay + lives_[lifeRows_[lamp] + draw];
        }

        void File(std::int32_t lamp, std::int32_t installedDay, std::int32_t draw) {
            FileUnder(lamp, Goes(lamp, installedDay, draw));
        }

        void FileUnder(std::int32_t lamp, std::int32_t goes) {
            if (goes >= SimulationDays) {
                return;
            }
            std::int32_t slot = nextSlot_[goes];
            if (slot % BatchSlots == 0) { // nothing filed yet, or the batch is full
                std::int32_t batch = freeBatch_;
                if (batch >= 0) {
                    freeBatch_ = slots_[batch * BatchSlots];
                } else {
                    batch = unusedBatch_++;
                }
                slots_[batch * BatchSlots] = slot == 0 ? -1 : slot / BatchSlots - 1;
                slot = batch * BatchSlots + 1;
            }
            slots_[slot] = lamp;
            nextSlot_[goes] = slot + 1;
        }

    private:
        ReplacementCalendar& calendar_;
        const std::int16_t* const lives_;
        const std::uint32_t* const lifeRows_;
        std::int32_t* const slots_;
        std::int32_t* const nextSlot_;
        std::int32_t freeBatch_;
        std::int32_t unusedBatch_;
    };

    // Per distinct zone wear, 100 draws: the days a new lamp lasts, or beyond the horizon.
    std::vector<std::int16_t> lives_;
    std::vector<std::uint32_t> lifeRows_; // per lamp: offset of its zone's lives in lives_
    std::vector<DailyZone> dailyZones_;
    // The batches, enough for every lamp plus one per day; left uninitialised, see BatchSlots.
    std::unique_ptr<std::int32_t[]> slots_;
    std::int32_t freeBatch_ = -1;          // chain of batches given back, linked through slot 0
    std::int32_t unusedBatch_ = 0;         // batches from here on have never been used
    std::vector<std::int32_t> nextSlot_;   // per day
    std::vector<std::int32_t> goingToday_; // the lamps going today, as filed
    std::vector<std::uint64_t> goingBits_; // one bit per lamp going today
    std::vector<std::uint32_t>
        goingBefore_; // per word of goingBits_: lamps in words before, less 1
    std::vector<std::int32_t> goingInOrder_; // today's lamps in ascending order
    std::vector<std::uint8_t> drawn_;        // the draws of today's lamps
    std::vector<std::int32_t> goesToday_;    // the days today's new lamps go
};

} // namespace model

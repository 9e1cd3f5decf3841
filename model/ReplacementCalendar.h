#pragma once

#include "LifePercentDraws.h"
#include "SimulationPlan.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace model {

// The lamps of one scheme, counted by the day they burn out instead of being worn day by day.
//
// A new lamp's life in days follows from its zone's daily wear and its draw alone, so it is looked
// up in a table made once per run. And the lamps of a zone all wear alike: which of them takes
// which draw changes nothing that follows. The day loop visits the lamps zone by zone, so on each
// day the draws go to the zones in that order, as many to a zone as it has lamps going. It is
// enough to count, per zone and day, the lamps that go; neighbouring zones that wear alike are
// counted together. All memory is taken when the calendar is started, and kept for the next
// scheme started on the same calendar: a run of many houses takes its pages from the system once.
//
// A lamp lives no shorter for a higher draw: its hours and switch-ons grow with the draw (or all
// fall, with a negative lamp life, when they all give the same day). So the longest life and
// whether all are alike follow from a few draws, and the other lives are worked out when asked.
class ReplacementCalendar {
public:
    ReplacementCalendar() = default;
    explicit ReplacementCalendar(const SchemePlan& scheme) { Start(scheme); }

    // Forgets the lamps counted so far and counts the lamps of `scheme`, reusing the memory.
    void Start(const SchemePlan& scheme);

    // Puts in the first lamp of every place, in visiting order; they are worn from day 0 on.
    void Fill(LifePercentDraws& draws);

    // Replaces the lamps that burn out on `day` (days in ascending order) and returns how many.
    std::int64_t ReplaceDay(std::int32_t day, LifePercentDraws& draws) {
        const std::uint32_t row = static_cast<std::uint32_t>(day) & dayMask_;
        if (words_ == 1) {
            return dueGroups_[row] == 0 ? 0 : ReplaceDueDay(day, row, draws);
        }
        for (std::uint32_t w = 0; w < words_; ++w) {
            if (dueGroups_[std::size_t{w} * (dayMask_ + 1) + row] != 0) {
                return ReplaceDueDay(day, row, draws);
            }
        }
        return 0;
    }

private:
    // Where a group counts and marks its lamps going: the day's count at (day & RingMask) of
    // Ring, its bit in the day's word at (day & DayMask) of Marks.
    struct GroupDays {
        std::int32_t* Ring;
        std::uint32_t RingMask;
        std::uint64_t* Marks; // the group's word of dueGroups_, by row
        std::uint32_t DayMask;
        std::uint64_t Bit;
        // Rings cleared when made and as their days are taken, or else never (see Add).
        bool Cleared;
        // The group's lives by draw, its longest life and whether all are alike (see Group), kept
        // here as they are looked at whenever its lamps go.
        bool SameLifeForEveryDraw;
        // The most lamps of a day noted for ReplaceScannedDay's shared loop: ScannedFewLamps once
        // every draw's life is known and within LongestLife (found when its runs are made), else 0.
        // Lamps are noted by a byte: groups from the 257th on are never noted.
        std::int32_t NotedLamps;
        std::int32_t LongestLife;
        const std::int16_t* Lives;
        // In rings never cleared a count is only meaningful where its day is marked: one left
        // from an earlier lap of the ring starts again from 0.
        void Add(std::int32_t goes, std::int64_t lamps) const {
            std::uint64_t& marks = Marks[static_cast<std::uint32_t>(goes) & DayMask];
            std::int32_t& count = Ring[static_cast<std::uint32_t>(goes) & RingMask];
            count = (Cleared || (marks & Bit) != 0 ? count : 0) + static_cast<std::int32_t>(lamps);
            marks |= Bit;
        }
    };

    // Neighbouring draws that give the same life, numbered in draw order.
    struct LifeRuns {
        const std::uint8_t* RunOfDraw; // by draw
        const std::int16_t* Life;      // by run
        std::int32_t Count;
    };

    // Neighbouring zones with the same wear, and the days on which their lamps go.
    struct Group {
        std::int64_t LampCount = 0;
        std::int32_t LivesRow = 0; // offset of its 100 lives in lives_, and of its runs
        std::int32_t RunCount = 0; // of its runs, once made
        // Every draw gives the same life (life 0, no wear): the draws are only skipped.
        bool SameLifeForEveryDraw = false;
        // The shortest life and the longest within the horizon (0 when none is).
        std::int32_t ShortestLife = 0;
        std::int32_t LongestLife = 0;
        ZonePlan Zone; // the first of its zones: they all wear alike
    };

    // ReplaceDay on a day on which some group has lamps going (or any day, when scanned);
    // `row` is the day's row.
    std::int64_t ReplaceDueDay(std::int32_t day, std::uint32_t row, LifePercentDraws& draws);
    // ReplaceDay where every group's count of the day is looked at.
    std::int64_t ReplaceScannedDay(std::int32_t day, LifePercentDraws& draws);
    // Puts in the first `lamps` lamps noted in notedGroups_ on `day`.
    void PutInNoted(std::size_t lamps, std::int32_t day, LifePercentDraws& draws);
    const GroupDays& DaysOf(std::size_t g) const { return days_[g]; }
    // `count` lamps of group g put in on `day`, taking their draws.
    void PutIn(std::size_t g, std::int64_t count, std::int32_t day, LifePercentDraws& draws);
    // PutIn lamp by lamp (a few lamps into cleared rings, or else), and by runs of draws counted
    // first for many lamps.
    void PutInCounted(std::size_t g, std::int64_t count, std::int32_t day, LifePercentDraws& draws);
    void PutInFew(std::size_t g, std::int64_t count, std::int32_t day, LifePercentDraws& draws);
    void PutInMany(std::size_t g, std::int64_t count, std::int32_t day, LifePercentDraws& draws);

    // Works out and keeps the life of draw r in group g.
    std::int16_t LifeOf(std::size_t g, std::int32_t r);
    // Group g's draws in runs of neighbouring draws with the same life, made when first asked.
    LifeRuns RunsOf(std::size_t g);
    // Start's parts: the groups of neighbouring zones that wear alike, and their rings.
    void MakeGroups(const SchemePlan& scheme);
    void LayOutRings();
    // Works out the lives a group's ring and its one-life shortcut need (see LayOutRings),
    // and its shortest and longest life.
    void PrepareLives(Group& group);

    SchemePlan lamps_; // the scheme's lamp life and switching factor, its zones left out
    std::vector<Group> groups_;
    // Per group, its lamps going by day: a ring of more days than its longest life in going_.
    // (A group's lamps going on one day are no more than its lamps, kept within 32 bits.)
    std::vector<GroupDays> days_;
    // Per group, 100 draws: the days a new lamp lasts (at least 1), or beyond the horizon;
    // UnknownLife until a draw asks for it. A house's sensor lamps draw few of their lives.
    std::vector<std::int16_t> lives_;
    // Per group, 100 draws' run numbers and up to 100 runs' lives (see LifeRuns).
    std::vector<std::uint8_t> runOfDraw_;
    std::vector<std::int16_t> runLives_;
    // The groups' rings, each as long as its group's lamps live. They are cleared only when they
    // are short against the lamps to count, so that a house whose sensor lamps live for years
    // clears a bit per count, not its rings (see GroupDays::Add).
    std::unique_ptr<std::int32_t[]> going_;
    std::size_t goingCapacity_ = 0; // counts that going_ holds
    // No group's next lamps go more than the longest life ahead, so the rows of that many days
    // are used round and round: a day's row is (day & dayMask_).
    std::uint32_t dayMask_ = 0;
    // Per row, a bit for each group with lamps going that day, in words of 64 groups:
    // dueGroups_[g / 64 × rows + row], so that a day without lamps going costs a look at a word
    // and a busy day visits only its groups.
    std::uint32_t words_ = 1;
    std::vector<std::uint64_t> dueGroups_;
    // Days with lamps of most groups going: instead of marking them lamp by lamp, the cleared
    // rings' counts of a day are looked at group by group. dueGroups_ is then one word, never 0,
    // in which the lamp loops shared with the other calendars may mark: every day is taken for
    // one with lamps going.
    bool scanned_ = false;
    // The group of each lamp going on a scanned day, while the day is replaced; groups of few
    // lamps note up to ScannedFewLamps at a time.
    std::vector<std::uint8_t> notedGroups_;
};

} // namespace model

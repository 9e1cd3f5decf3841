#include "Progress.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressLine, ShareAndTimeLeftFollowTheHousesCalculated) {
    const struct {
        const char* What;
        cli::ProgressCounts Counts;
        double Seconds;
        const char* Text;
    } cases[] = {
        {"every byte read, a third of the houses calculated",
         {3'000'000, 3'000'000, 3000, 1000},
         10,
         "готово 33%, посчитано домов: 1000, 100 домов/с, осталось 20 с"},
        {"half read: the rows of the rest estimated",
         {1'500'000, 3'000'000, 1500, 750},
         10,
         "готово 25%, посчитано домов: 750, 75 домов/с, осталось 30 с"},
        {"nothing calculated yet: no time left said",
         {1'000'000, 3'000'000, 1000, 0},
         2,
         "готово 0%, посчитано домов: 0, 0 домов/с"},
        {"all done",
         {3'000'000, 3'000'000, 3000, 3000},
         6,
         "готово 100%, посчитано домов: 3000, 500 домов/с, осталось 0 с"},
        {"standard input: size unknown",
         {2u << 20, 0, 80, 50},
         5,
         "прочитано 2.0 МБ, посчитано домов: 50, 10 домов/с"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli::ProgressText(c.Counts, c.Seconds), c.Text) << c.What;
    }
}

} // namespace

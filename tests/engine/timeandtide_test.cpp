#include "engine/TimeAndTide.h"

#include <gtest/gtest.h>

TEST(TimeAndTide, EntriesReplaceThePlaceholdersAndDaysAreHalfOpen) {
  TimeAndTide empty;
  EXPECT_FALSE(empty.TidesOnDay(0));               // the two placeholder zeros are no entries
  constexpr double day = 86400, d = 3'880'000'000; // a day start in 2026 on the 1904 scale
  const std::pair<std::vector<double>, bool> cases[] = {{{d}, true},
                                                        {{d + day - 1}, true},
                                                        {{d + day}, false},
                                                        {{d - 1}, false},
                                                        {{d + 5 * day, d - day, d + 600}, true}};
  for (const auto& [times, expected] : cases) {
    TimeAndTide series;
    for (double t : times) {
      series.Append(t, 1.5f);
    }
    EXPECT_EQ(series.times, times);
    EXPECT_EQ(series.tides, std::vector<float>(times.size(), 1.5f));
    EXPECT_EQ(series.TidesOnDay(d), expected) << testing::PrintToString(times);
  }
}

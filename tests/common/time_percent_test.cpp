// The percentage the test variables give the protocol's waits: anything that is not a whole
// number from 1 to 100 leaves the handset's own times.
#include <gtest/gtest.h>

#include <chrono>

#include "zemlo/time_percent.h"

namespace zemlo {
namespace {

using std::chrono::milliseconds;

TEST(TimePercent, OnlyAWholeNumberFromOneToAHundredShortensTheWaits) {
    EXPECT_EQ(time_percent_of("15"), 15u);
    EXPECT_EQ(time_percent_of("1"), 1u);
    EXPECT_EQ(time_percent_of("100"), 100u);
    EXPECT_EQ(time_percent_of("007"), 7u);
    for (const char *text : {"", "0", "101", "4294967311", "99999999999999999999", "15%", " 15",
                             "-5", "+5", "1.5", "x"}) {
        EXPECT_EQ(time_percent_of(text), kFullTime) << text;
    }
    EXPECT_EQ(time_percent_of(nullptr), kFullTime);
}

TEST(TimePercent, AWaitIsScaledButNeverToNothing) {
    EXPECT_EQ(at_percent(milliseconds(2000), 15), milliseconds(300));
    EXPECT_EQ(at_percent(milliseconds(2000), 100), milliseconds(2000));
    EXPECT_EQ(at_percent(milliseconds(5), 1), milliseconds(1));
    EXPECT_EQ(at_percent(milliseconds(0), 15), milliseconds(0));
}

}  // namespace
}  // namespace zemlo

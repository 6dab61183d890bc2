#include "shell/qt_outside_world.h"

#include <gtest/gtest.h>
#include <set>

namespace gridwork {
namespace {

TEST(DisplayLineBreaks, EveryCrLfAndLoneCrBreaksOnce) {
    EXPECT_EQ(displayLineBreaks(QStringLiteral("a\r\nb\r\rc\nd")), QStringLiteral("a\nb\n\nc\nd"));
    EXPECT_EQ(displayLineBreaks(QStringLiteral("plain")), QStringLiteral("plain"));
}

TEST(ClockSeededRandom, DrawsWholeNumbersFromOneToHundred) {
    ClockSeededRandom random;
    std::set<int> seen;
    for (int i = 0; i < 10000; ++i) {
        const int draw = random.oneToHundred();
        ASSERT_GE(draw, 1);
        ASSERT_LE(draw, 100);
        seen.insert(draw);
    }
    // Ten thousand fair draws miss one of a hundred values with a chance of about 1e-42.
    EXPECT_EQ(seen.size(), 100U);
}

} // namespace
} // namespace gridwork

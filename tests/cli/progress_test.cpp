#include "cli/progress.h"

#include <gtest/gtest.h>
#include <sstream>

namespace gridwork::cli {
namespace {

using namespace std::chrono_literals;

struct FakeClock {
    std::chrono::steady_clock::time_point now{};
    Progress::Clock clock() {
        return [this] { return now; };
    }
};

TEST(Progress, StaysSilentDuringTheFirstSecond) {
    FakeClock time;
    std::ostringstream out;
    {
        Progress progress(out, true, time.clock());
        progress.begin("reading table 1 of 2", 100, "cells");
        time.now += 900ms;
        progress.advance(90);
    }
    EXPECT_EQ(out.str(), "");
}

TEST(Progress, DrawsABarAfterASecondAndClearsItAtTheEnd) {
    FakeClock time;
    std::ostringstream out;
    Progress progress(out, true, time.clock());
    progress.begin("reading table 1 of 2", 200, "cells");
    time.now += 1100ms;
    progress.advance(100);
    const std::string drawn = out.str();
    EXPECT_EQ(drawn.front(), '\r');
    EXPECT_NE(drawn.find("reading table 1 of 2"), std::string::npos);
    EXPECT_NE(drawn.find("[############            ] 50%  100 of 200 cells"), std::string::npos)
        << drawn;
    EXPECT_EQ(drawn.find('\n'), std::string::npos);

    // Not redrawn within a tenth of a second, however often it advances.
    progress.advance(150);
    EXPECT_EQ(out.str(), drawn);
    time.now += 150ms;
    progress.advance(2000);
    EXPECT_NE(out.str().find("100%  200 of 200 cells"), std::string::npos);

    // A new phase shows at once, with thousands separated.
    progress.begin("writing rows", 1234567, "rows");
    EXPECT_NE(out.str().find("0%  0 of 1,234,567 rows"), std::string::npos);
    progress.begin("storing out.ods", 0);
    EXPECT_EQ(out.str().substr(out.str().rfind('\r')),
              "\rstoring out.ods" + std::string(22, ' ') + "\x1b[K");

    progress.finish();
    EXPECT_EQ(out.str().substr(out.str().size() - 4), "\r\x1b[K");
}

TEST(Progress, DisabledDrawsNothingEver) {
    FakeClock time;
    std::ostringstream out;
    {
        Progress progress(out, false, time.clock());
        time.now += 10s;
        progress.begin("reading table 1 of 2", 10);
        progress.advance(5);
    }
    EXPECT_EQ(out.str(), "");
}

} // namespace
} // namespace gridwork::cli

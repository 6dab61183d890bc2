#include "shell/step_trap.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>
#include <vector>

namespace gridwork {
namespace {

struct Report {
    std::string handler;
    int step;
    std::string description;
    bool operator==(const Report&) const = default;
};

class StepTrapTest : public ::testing::Test {
protected:
    std::vector<Report> reports;
    StepTrap trap{"PushButton1_Click",
                  [this](std::string_view handler, int step, const std::string& description) {
                      reports.push_back({std::string(handler), step, description});
                  }};
};

TEST_F(StepTrapTest, FailingStepIsReportedWithItsNumberAndTheHandlerGoesOn) {
    std::vector<int> ran;
    trap.step(100, [&] { ran.push_back(100); });
    trap.step(102, [&] {
        throw std::runtime_error("Overflow");
        ran.push_back(102);
    });
    trap.step(104, [&] { ran.push_back(104); });
    EXPECT_EQ(ran, (std::vector<int>{100, 104}));
    EXPECT_EQ(reports, (std::vector<Report>{{"PushButton1_Click", 102, "Overflow"}}));
}

TEST_F(StepTrapTest, TwoFailingStepsGiveTwoReportsInOrder) {
    trap.step(104, [] { throw std::invalid_argument("Type mismatch"); });
    trap.step(106, [] {});
    trap.step(228, [] { throw std::out_of_range("Subscript out of range"); });
    EXPECT_EQ(reports, (std::vector<Report>{{"PushButton1_Click", 104, "Type mismatch"},
                                            {"PushButton1_Click", 228, "Subscript out of range"}}));
}

TEST_F(StepTrapTest, FailingTestRunsTheGuardedStatements) {
    bool guardedRan = false;
    if (trap.test(108, []() -> bool { throw std::runtime_error("Type mismatch"); })) {
        guardedRan = true;
    }
    EXPECT_TRUE(guardedRan);
    EXPECT_EQ(reports, (std::vector<Report>{{"PushButton1_Click", 108, "Type mismatch"}}));
}

TEST_F(StepTrapTest, PassingTestsGiveTheirValueAndNoReport) {
    EXPECT_TRUE(trap.test(110, [] { return true; }));
    EXPECT_FALSE(trap.test(112, [] { return false; }));
    EXPECT_TRUE(reports.empty());
    EXPECT_EQ(trap.handler(), "PushButton1_Click");
}

TEST_F(StepTrapTest, FailureInTheMiddleOfAStepIsChargedToThatStep) {
    int done = 0;
    trap.step(120, [&] {
        ++done;
        throw std::runtime_error("midway");
    });
    trap.step(122, [&] {
        ++done;
        ++done;
        throw std::runtime_error("at the end");
    });
    EXPECT_EQ(done, 3);
    ASSERT_EQ(reports.size(), 2U);
    EXPECT_EQ(reports[0].step, 120);
    EXPECT_EQ(reports[1].step, 122);
}

} // namespace
} // namespace gridwork

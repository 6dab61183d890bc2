#include "fake_office.h"
#include "join/join_run.h"
#include "test_folder.h"

#include <gtest/gtest.h>

namespace gridwork {
namespace {

using test::Operation;
using Strings = std::vector<std::string>;

const std::string url1 = "file:///data/t1.ods";
const std::string url2 = "file:///data/t2%20b.ods";

/// The worked example: table 1 is A1:B3 of t1.ods, table 2 is B2:C3 of "t2 b.ods".
class JoinRunTest : public ::testing::Test {
protected:
    JoinRunTest() {
        office.state.files[url1] = {test::SheetData{"S1",
                                                    {{{0, 0}, "Name"},
                                                     {{1, 0}, "Qty"},
                                                     {{0, 1}, "Apples"},
                                                     {{1, 1}, "5"},
                                                     {{0, 2}, "Pears"},
                                                     {{1, 2}, "7"}},
                                                    {}}};
        office.state.files[url2] = {
            test::SheetData{"Other", {{{0, 0}, "unused"}}, {}},
            test::SheetData{
                "S2", {{{1, 1}, "Plums"}, {{2, 1}, "2"}, {{1, 2}, "Figs"}, {{2, 2}, "9"}}, {}}};
        host.fields = {{"Text1", "/data/t1.ods"},   {"txtSheet1", "1"},      {"txtRowFrom1", "1"},
                       {"txtRowTo1", "3"},          {"txtColumnFrom1", "1"}, {"txtColumnTo1", "2"},
                       {"Text2", "/data/t2 b.ods"}, {"txtSheet2", "2"},      {"txtRowFrom2", "2"},
                       {"txtRowTo2", "3"},          {"txtColumnFrom2", "2"}, {"txtColumnTo2", "3"}};
    }

    /// The result's texts as row strings, cells joined by '/'.
    Strings resultRows() const {
        Strings rows;
        for (const auto& [position, text] : office.state.result().cells) {
            const auto row = static_cast<std::size_t>(position.second);
            rows.resize(std::max(rows.size(), row + 1));
            rows[row] += text + "/";
        }
        return rows;
    }

    /// What every ended run leaves: flag and pointer back, no source open, no file left.
    void expectCleanEnd() const {
        EXPECT_FALSE(run.joinBusy());
        EXPECT_EQ(office.state.openSourceDocuments(), 0);
        EXPECT_TRUE(temp.entries().empty());
        for (const auto& document : office.state.documents) {
            EXPECT_EQ(document->stores, 0);
        }
        if (!host.pointerModes.empty()) {
            EXPECT_EQ(host.pointerModes, (std::vector<int>{11, 0}));
        }
    }

    test::TestFolder temp;
    test::ScopedEnvironment tempVariable{"TEMP", temp.path().string()};
    test::FakeAutomation office;
    test::FakeHost host;
    JoinRun run{host, office};
};

TEST_F(JoinRunTest, WorkedExampleEndsWithDone) {
    run.pushButton5Click();

    EXPECT_TRUE(host.reports.empty());
    EXPECT_EQ(host.messages, Strings{"Done."});
    EXPECT_EQ(host.pointerModes, (std::vector<int>{11, 0}));
    EXPECT_EQ(resultRows(), (Strings{"Name/Qty/", "Apples/5/", "Pears/7/", "Plums/2/", "Figs/9/"}));
    EXPECT_EQ(office.state.log,
              (Strings{"connect", "open " + url1, "sheet 0", "rangeTexts", "close " + url1,
                       "connect", "open " + url2, "sheet 1", "rangeTexts", "close " + url2,
                       "connect", "new", "sheet 0", "setRangeTexts"}));
    // 158, 160, 190, 192 and the removal at 222.
    EXPECT_EQ(host.eventPasses, 5);
    ASSERT_EQ(office.state.documents.size(), 3U);
    EXPECT_TRUE(office.state.documents.back()->open) << "the result stays open for the user";
    expectCleanEnd();
}

TEST_F(JoinRunTest, EmptyPathFieldsAreNoPartOfTheCompletenessCheck) {
    host.fields["Text2"] = "";
    run.pushButton5Click();
    ASSERT_EQ(host.reports.size(), 1U);
    EXPECT_EQ(host.reports[0].step, 166);
    EXPECT_EQ(host.reports[0].description, "No file is named: the path is empty");
    EXPECT_TRUE(host.messages.empty());
    expectCleanEnd();
}

class CompletenessCheck : public JoinRunTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(CompletenessCheck, AnyBlankNumberFieldStopsTheRunBeforeTheOffice) {
    host.fields[GetParam()] = " \t ";
    // A later faulty pair must not speak: only the first failing check does.
    host.fields["txtRowFrom1"] = host.fields["txtRowFrom1"] == " \t " ? " \t " : "9";
    run.pushButton5Click();
    EXPECT_EQ(host.messages, Strings{"You must input all entries."});
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(host.pointerModes.empty());
    EXPECT_TRUE(office.state.log.empty());
    expectCleanEnd();
}

INSTANTIATE_TEST_SUITE_P(NumberFields, CompletenessCheck,
                         ::testing::Values("txtSheet1", "txtSheet2", "txtRowFrom1", "txtRowFrom2",
                                           "txtRowTo1", "txtRowTo2", "txtColumnFrom1",
                                           "txtColumnFrom2", "txtColumnTo1", "txtColumnTo2"));

struct OrderCase {
    const char* fromField;
    const char* toField;
    int testStep;
    const char* message;
};

class OrderChecks : public JoinRunTest, public ::testing::WithParamInterface<OrderCase> {};

const std::vector<OrderCase> orderCases = {
    {"txtRowFrom1", "txtRowTo1", 108, "Table #1: Row From must be less than Row To."},
    {"txtRowFrom2", "txtRowTo2", 112, "Table #2: Row From must be less than Row To."},
    {"txtColumnFrom1", "txtColumnTo1", 116, "Table #1: Column From must be less than Column To."},
    {"txtColumnFrom2", "txtColumnTo2", 120, "Table #2: Column From must be less than Column To."}};

TEST_P(OrderChecks, FromAboveToGivesItsMessageOnly) {
    const auto& check = GetParam();
    host.fields[check.fromField] = "4";
    host.fields[check.toField] = "3";
    run.pushButton5Click();
    EXPECT_EQ(host.messages, Strings{check.message});
    EXPECT_TRUE(host.reports.empty());
    EXPECT_TRUE(office.state.log.empty());
    expectCleanEnd();
}

TEST_P(OrderChecks, NoNumberGivesTheReportThenTheMessage) {
    const auto& check = GetParam();
    host.fields[check.toField] = "abc";
    run.pushButton5Click();
    ASSERT_EQ(host.reports.size(), 1U);
    EXPECT_EQ(host.reports[0].handler, "PushButton5_Click");
    EXPECT_EQ(host.reports[0].step, check.testStep);
    EXPECT_EQ(host.reports[0].description, "Type mismatch: \"abc\" is not a number");
    EXPECT_EQ(host.messages, Strings{check.message});
    EXPECT_TRUE(office.state.log.empty());
    expectCleanEnd();
}

TEST_P(OrderChecks, ANumberBeyondSixteenBitsIsAnOverflowReportThenTheMessage) {
    const auto& check = GetParam();
    host.fields[check.fromField] = "40000";
    run.pushButton5Click();
    ASSERT_EQ(host.reports.size(), 1U);
    EXPECT_EQ(host.reports[0].step, check.testStep);
    EXPECT_EQ(host.reports[0].description, "Overflow: \"40000\" is outside -32768 to 32767");
    EXPECT_EQ(host.messages, Strings{check.message});
    expectCleanEnd();
}

INSTANTIATE_TEST_SUITE_P(Pairs, OrderChecks, ::testing::ValuesIn(orderCases));

TEST_F(JoinRunTest, OnlyTheFirstFailingCheckSpeaks) {
    host.fields["txtColumnFrom2"] = "9";
    host.fields["txtColumnFrom1"] = "9";
    host.fields["txtRowFrom2"] = "9";
    run.pushButton5Click();
    EXPECT_EQ(host.messages, Strings{"Table #2: Row From must be less than Row To."});
    host.messages.clear();
    host.fields["txtRowFrom2"] = "2";
    run.pushButton5Click();
    EXPECT_EQ(host.messages, Strings{"Table #1: Column From must be less than Column To."});
    expectCleanEnd();
}

TEST_F(JoinRunTest, EqualBoundsAndNumbersLikeTheOldRuntimeReadThemPass) {
    host.fields["txtRowFrom1"] = " 2.5 ";
    host.fields["txtRowTo1"] = "2";
    host.fields["txtColumnFrom1"] = "1e0";
    host.fields["txtColumnTo1"] = "+1";
    host.fields["txtSheet2"] = "0.6";
    host.fields["txtRowFrom2"] = "1";
    host.fields["txtRowTo2"] = "1";
    host.fields["txtColumnFrom2"] = "1";
    host.fields["txtColumnTo2"] = "1";
    run.pushButton5Click();
    EXPECT_TRUE(host.reports.empty());
    EXPECT_EQ(host.messages, Strings{"Done."});
    EXPECT_EQ(resultRows(), (Strings{"Apples/", "unused/"}));
    expectCleanEnd();
}

struct FailureCase {
    std::string name;
    std::function<void(test::FakeHost&, test::OfficeState&)> arrange;
    int step;
    std::string description;
};

void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.name;
}

class RunTimeFailures : public JoinRunTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(RunTimeFailures, ReportOnceStopAndLeaveNothingBehind) {
    const auto& failure = GetParam();
    failure.arrange(host, office.state);
    run.pushButton5Click();

    ASSERT_EQ(host.reports.size(), 1U);
    EXPECT_EQ(host.reports[0].handler, "PushButton5_Click");
    EXPECT_EQ(host.reports[0].step, failure.step);
    EXPECT_EQ(host.reports[0].description, failure.description);
    EXPECT_TRUE(host.messages.empty()) << "no \"Done.\" after a failure";
    EXPECT_EQ(host.pointerModes, (std::vector<int>{11, 0}));
    expectCleanEnd();
}

void failAt(test::OfficeState& state, Operation operation, int succeeding) {
    state.failure = std::make_pair(operation, succeeding);
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RunTimeFailures,
    ::testing::Values(
        FailureCase{"OfficeUnreachable",
                    [](auto&, auto& state) { failAt(state, Operation::Connect, 0); }, 130,
                    "Simulated failure: connect"},
        FailureCase{"MissingFileOfTableOne",
                    [](auto& host, auto&) { host.fields["Text1"] = "/data/gone.ods"; }, 134,
                    "Unsupported URL <file:///data/gone.ods>: \"type detection failed\""},
        FailureCase{"RelativePathOfTableOne",
                    [](auto& host, auto&) { host.fields["Text1"] = "t1.ods"; }, 134,
                    "\"t1.ods\" is not a full path: give the file with its folder, from the top"},
        FailureCase{"SheetZero", [](auto& host, auto&) { host.fields["txtSheet1"] = "0"; }, 136,
                    "Index out of bounds: no sheet -1"},
        FailureCase{"SheetNoNumber", [](auto& host, auto&) { host.fields["txtSheet1"] = "abc"; },
                    136, "Type mismatch: \"abc\" is not a number"},
        FailureCase{"SheetSixteenBitLow",
                    [](auto& host, auto&) { host.fields["txtSheet1"] = "-32768"; }, 136,
                    "Overflow: -32768 minus 1 is outside -32768 to 32767"},
        FailureCase{"CellReadOfTableOne",
                    [](auto&, auto& state) { failAt(state, Operation::RangeTexts, 0); }, 148,
                    "Simulated failure: rangeTexts"},
        FailureCase{"CloseOfTableOne",
                    [](auto&, auto& state) { failAt(state, Operation::Close, 0); }, 156,
                    "Simulated failure: close file:///data/t1.ods"},
        FailureCase{"SecondConnect",
                    [](auto&, auto& state) { failAt(state, Operation::Connect, 1); }, 162,
                    "Simulated failure: connect"},
        FailureCase{"MissingFileOfTableTwo",
                    [](auto& host, auto&) { host.fields["Text2"] = "/data/gone 2.ods"; }, 166,
                    "Unsupported URL <file:///data/gone%202.ods>: \"type detection failed\""},
        FailureCase{"SheetBeyondTheLast", [](auto& host, auto&) { host.fields["txtSheet2"] = "3"; },
                    168, "Index out of bounds: no sheet 2"},
        FailureCase{"CellReadOfTableTwo",
                    [](auto&, auto& state) { failAt(state, Operation::RangeTexts, 1); }, 180,
                    "Simulated failure: rangeTexts"},
        FailureCase{"CloseOfTableTwo",
                    [](auto&, auto& state) { failAt(state, Operation::Close, 1); }, 188,
                    "Simulated failure: close file:///data/t2%20b.ods"},
        FailureCase{"ThirdConnect",
                    [](auto&, auto& state) { failAt(state, Operation::Connect, 2); }, 196,
                    "Simulated failure: connect"},
        FailureCase{"NewDocument", [](auto&, auto& state) { failAt(state, Operation::New, 0); },
                    200, "Simulated failure: new"},
        FailureCase{"ResultSheet",
                    [](auto&, auto& state) { failAt(state, Operation::SheetByIndex, 2); }, 202,
                    "Simulated failure: sheet 0"},
        FailureCase{"ResultWrite",
                    [](auto&, auto& state) { failAt(state, Operation::SetRangeTexts, 0); }, 216,
                    "Simulated failure: setRangeTexts"},
        FailureCase{"ColumnZero", [](auto& host, auto&) { host.fields["txtColumnFrom1"] = "0"; },
                    148, "Index out of bounds: cell (-1, 0)"}),
    [](const auto& failureCase) { return failureCase.param.name; });

TEST_F(JoinRunTest, SourceThatFailsToCloseIsClosedOnTheWayOut) {
    failAt(office.state, Operation::Close, 0);
    run.pushButton5Click();
    ASSERT_EQ(host.reports.size(), 1U);
    EXPECT_EQ(host.reports[0].step, 156);
    EXPECT_EQ(office.state.calls[Operation::Close], 2);
    expectCleanEnd();
}

TEST_F(JoinRunTest, IntermediateFileThatCannotBeCreatedStopsBeforeTheOffice) {
    const auto missing = temp.path() / "missing";
    test::ScopedEnvironment missingTemp("TEMP", missing.string());
    run.pushButton5Click();
    ASSERT_EQ(host.reports.size(), 1U);
    EXPECT_EQ(host.reports[0].step, 128);
    EXPECT_EQ(host.reports[0].description, "Cannot create the intermediate file in \"" +
                                               missing.string() + "\": No such file or directory");
    EXPECT_TRUE(office.state.log.empty());
    EXPECT_TRUE(host.messages.empty());
    expectCleanEnd();
}

TEST_F(JoinRunTest, RangeEditedDuringTheEventPauseIsReadWithItsNewText) {
    host.onEvents = [this] { host.fields["txtRowTo2"] = "2"; };
    run.pushButton5Click();
    EXPECT_EQ(resultRows(), (Strings{"Name/Qty/", "Apples/5/", "Pears/7/", "Plums/2/"}));
    EXPECT_EQ(host.messages, Strings{"Done."});
}

TEST_F(JoinRunTest, RangeEditedIntoOverflowDuringThePauseStopsTheRun) {
    host.onEvents = [this] {
        host.fields["txtRowFrom2"] = "-5";
        host.fields["txtRowTo2"] = "2147483647";
    };
    run.pushButton5Click();
    ASSERT_EQ(host.reports.size(), 1U);
    EXPECT_EQ(host.reports[0].step, 170);
    EXPECT_EQ(host.reports[0].description,
              "Overflow: 2147483647 minus -5 is outside -2147483648 to 2147483647");
    expectCleanEnd();
}

TEST_F(JoinRunTest, AClickDuringTheEventPausesIsIgnored) {
    int nestedClicks = 0;
    std::size_t logBefore = 0;
    host.onEvents = [&] {
        ++nestedClicks;
        EXPECT_TRUE(run.joinBusy());
        logBefore = office.state.log.size();
        run.pushButton5Click();
        EXPECT_EQ(office.state.log.size(), logBefore) << "the second click reached the office";
        EXPECT_TRUE(run.joinBusy()) << "the second click cleared the flag of the first";
    };
    run.pushButton5Click();
    EXPECT_EQ(nestedClicks, 5);
    EXPECT_EQ(host.messages, Strings{"Done."});
    EXPECT_TRUE(host.reports.empty());
    EXPECT_EQ(office.state.calls[Operation::New], 1);
    expectCleanEnd();
}

TEST_F(JoinRunTest, RunsOneAfterAnotherEachMakeTheirOwnResult) {
    run.pushButton5Click();
    host.pointerModes.clear();
    run.pushButton5Click();
    EXPECT_EQ(host.messages, (Strings{"Done.", "Done."}));
    EXPECT_EQ(office.state.calls[Operation::New], 2);
    EXPECT_EQ(resultRows().size(), 5U);
    expectCleanEnd();
}

} // namespace
} // namespace gridwork

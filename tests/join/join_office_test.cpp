// The join run through a real headless office (see office_fixture.h): from two .ods files of
// our own (tests/data/join, made from the .fods beside them) to the result document read back.

#include "fake_office.h"
#include "join/join_run.h"
#include "office_fixture.h"
#include "test_folder.h"
#include "tracking_office.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace gridwork {
namespace {

using Rows = std::vector<std::vector<std::string>>;
using Strings = std::vector<std::string>;

std::string committedFile(const std::string& name) {
    return std::string(GRIDWORK_SOURCE_DIR) + "/tests/data/join/" + name;
}

std::string bytesOf(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct Table {
    std::string file;
    std::string sheet;
    std::string rowFrom;
    std::string rowTo;
    std::string columnFrom;
    std::string columnTo;
};

class JoinThroughOffice : public ::testing::Test {
protected:
    // Each test works on copies: an office that opens a file puts its lock file beside it, and
    // test programs running side by side must not meet each other's locks.
    JoinThroughOffice()
        : table1Bytes_(bytesOf(committedFile("table1.ods"))),
          table2Bytes_(bytesOf(committedFile("table2.ods"))) {
        for (const char* name : {"table1.ods", "table2.ods"}) {
            std::filesystem::copy_file(committedFile(name), data_.path() / name);
        }
    }

    std::string dataFile(const std::string& name) const { return (data_.path() / name).string(); }

    ~JoinThroughOffice() override {
        // Results stay open for the user; here nobody looks at them.
        for (auto* tracking : {&office.tracking, &perCellOffice.tracking}) {
            for (const auto& tracked : tracking->documents) {
                try {
                    tracked->document->close();
                } catch (const OfficeError&) {
                    // Closed by the run already.
                }
            }
        }
    }

    void define(const Table& first, const Table& second) {
        int number = 0;
        for (const auto* table : {&first, &second}) {
            const auto n = std::to_string(++number);
            host.fields["Text" + n] = table->file.empty() ? "" : dataFile(table->file);
            host.fields["txtSheet" + n] = table->sheet;
            host.fields["txtRowFrom" + n] = table->rowFrom;
            host.fields["txtRowTo" + n] = table->rowTo;
            host.fields["txtColumnFrom" + n] = table->columnFrom;
            host.fields["txtColumnTo" + n] = table->columnTo;
        }
    }

    /// The used area of the last result document's first sheet, read cell by cell.
    static Rows resultOf(const test::Tracking& tracking) {
        for (auto it = tracking.documents.rbegin(); it != tracking.documents.rend(); ++it) {
            if ((*it)->url.empty()) {
                const auto sheet = (*it)->document->sheetByIndex(0);
                const UsedArea area = sheet->usedArea();
                Rows rows(static_cast<std::size_t>(area.rows));
                for (std::int32_t r = 0; r < area.rows; ++r) {
                    for (std::int32_t c = 0; c < area.columns; ++c) {
                        rows[static_cast<std::size_t>(r)].push_back(sheet->cellText(c, r));
                    }
                }
                return rows;
            }
        }
        ADD_FAILURE() << "no result document";
        return {};
    }

    /// What every run leaves: sources closed in the office, no intermediate file, flag clear,
    /// the source files as they were.
    void expectNothingLeft(const test::Tracking& tracking) const {
        EXPECT_FALSE(run.joinBusy());
        EXPECT_TRUE(temp.entries().empty());
        for (const auto& tracked : tracking.documents) {
            if (tracked->url.empty()) {
                continue;
            }
            EXPECT_TRUE(tracked->closedByTheRun) << tracked->url;
            EXPECT_THROW(tracked->document->sheetCount(), OfficeError)
                << tracked->url << " is still open in the office";
        }
        EXPECT_EQ(bytesOf(dataFile("table1.ods")), table1Bytes_);
        EXPECT_EQ(bytesOf(dataFile("table2.ods")), table2Bytes_);
        // An office that still holds a document keeps its lock file beside it.
        auto names = data_.entries();
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, (Strings{"table1.ods", "table2.ods"}));
    }

    void expectDone() {
        EXPECT_TRUE(host.reports.empty())
            << host.reports.front().step << ": " << host.reports.front().description;
        EXPECT_EQ(host.messages, Strings{"Done."});
        expectNothingLeft(office.tracking);
    }

    test::TestFolder temp;
    test::ScopedEnvironment tempVariable{"TEMP", temp.path().string()};
    test::TrackingAutomation office{test::testOffice()};
    test::TrackingAutomation perCellOffice{test::testOffice()};
    test::FakeHost host;
    JoinRun run{host, office};

private:
    test::TestFolder data_;
    std::string table1Bytes_;
    std::string table2Bytes_;
};

const Table fruit{"table1.ods", "1", "1", "3", "1", "2"};

TEST_F(JoinThroughOffice, WorkedExample) {
    define(fruit, {"table2.ods", "1", "2", "3", "2", "3"});
    run.pushButton5Click();
    expectDone();
    EXPECT_EQ(
        resultOf(office.tracking),
        (Rows{{"Name", "Qty"}, {"Apples", "5"}, {"Pears", "7"}, {"Plums", "2"}, {"Figs", "9"}}));
    EXPECT_NO_THROW(office.tracking.documents.back()->document->sheetCount())
        << "the result document stays open";
}

TEST_F(JoinThroughOffice, RangesOfDifferentWidths) {
    define(fruit, {"table2.ods", "2", "1", "1", "1", "4"});
    run.pushButton5Click();
    expectDone();
    EXPECT_EQ(resultOf(office.tracking), (Rows{{"Name", "Qty", "", ""},
                                               {"Apples", "5", "", ""},
                                               {"Pears", "7", "", ""},
                                               {"w1", "w2", "w3", "w4"}}));
}

TEST_F(JoinThroughOffice, HeaderRowsAreCopiedAsOrdinaryRows) {
    define(fruit, {"table2.ods", "1", "1", "3", "2", "3"});
    run.pushButton5Click();
    expectDone();
    EXPECT_EQ(resultOf(office.tracking), (Rows{{"Name", "Qty"},
                                               {"Apples", "5"},
                                               {"Pears", "7"},
                                               {"Item", "Count"},
                                               {"Plums", "2"},
                                               {"Figs", "9"}}));
}

TEST_F(JoinThroughOffice, OneCellRanges) {
    define({"table1.ods", "1", "2", "2", "1", "1"}, {"table2.ods", "2", "2", "2", "1", "1"});
    run.pushButton5Click();
    expectDone();
    EXPECT_EQ(resultOf(office.tracking), (Rows{{"Apples"}, {"only"}}));
}

const Table odd{"table1.ods", "2", "1", "6", "1", "3"};
const Rows oddRows{{"Grüße 東京 🙂", "  two  blanks  ", "line one\nline two"},
                   {"a||MySeparator12||b", "", "x|"},
                   {"", "", ""},
                   {"back\\slash \\p", "50%", "1,234.50"},
                   {"2024-02-29", "TRUE", "2"},
                   {"||MySeparator12|", "=not a formula", "0012"},
                   {"Name", "", ""}};

TEST_F(JoinThroughOffice, AwkwardTextsEmptyCellsAndRowsArriveInTheirOwnCells) {
    define(odd, {"table1.ods", "1", "1", "1", "1", "1"});
    run.pushButton5Click();
    expectDone();
    EXPECT_EQ(resultOf(office.tracking), oddRows);
}

TEST_F(JoinThroughOffice, BlockPathGivesWhatTheCellByCellPathGives) {
    perCellOffice.tracking.perCell = true;
    JoinRun perCellRun{host, perCellOffice};
    for (const auto& [first, second] :
         {std::pair{odd, Table{"table2.ods", "2", "1", "2", "1", "4"}},
          std::pair{fruit, Table{"table2.ods", "1", "1", "3", "1", "3"}}}) {
        define(first, second);
        run.pushButton5Click();
        perCellRun.pushButton5Click();
        EXPECT_EQ(host.messages, (Strings{"Done.", "Done."}));
        host.messages.clear();
        const Rows blocks = resultOf(office.tracking);
        EXPECT_FALSE(blocks.empty());
        EXPECT_EQ(blocks, resultOf(perCellOffice.tracking));
        expectNothingLeft(office.tracking);
        expectNothingLeft(perCellOffice.tracking);
    }
    EXPECT_TRUE(host.reports.empty());
}

TEST_F(JoinThroughOffice, ASecondClickDuringTheRunIsIgnored) {
    define(fruit, {"table2.ods", "1", "2", "3", "2", "3"});
    int clicks = 0;
    host.onEvents = [&] {
        ++clicks;
        run.pushButton5Click();
    };
    run.pushButton5Click();
    expectDone();
    EXPECT_EQ(clicks, 5);
    EXPECT_EQ(office.tracking.documents.size(), 3U);
}

struct FailureCase {
    std::string name;
    Table first;
    Table second;
    Strings messages;
    int reportStep; ///< 0: no report
};

void PrintTo(const FailureCase& failure, std::ostream* out) {
    *out << failure.name;
}

class JoinFailuresThroughOffice : public JoinThroughOffice,
                                  public ::testing::WithParamInterface<FailureCase> {};

TEST_P(JoinFailuresThroughOffice, StopWithNothingLeftOpen) {
    const auto& failure = GetParam();
    define(failure.first, failure.second);
    run.pushButton5Click();
    EXPECT_EQ(host.messages, failure.messages) << "and never \"Done.\"";
    if (failure.reportStep == 0) {
        EXPECT_TRUE(host.reports.empty());
        EXPECT_TRUE(office.tracking.documents.empty());
    } else {
        ASSERT_EQ(host.reports.size(), 1U);
        EXPECT_EQ(host.reports[0].handler, "PushButton5_Click");
        EXPECT_EQ(host.reports[0].step, failure.reportStep) << host.reports[0].description;
        EXPECT_FALSE(host.reports[0].description.empty());
    }
    expectNothingLeft(office.tracking);
    if (failure.reportStep > 0 && failure.messages.empty()) {
        EXPECT_EQ(host.pointerModes, (std::vector<int>{11, 0}));
    }
}

const Table stock{"table2.ods", "1", "2", "3", "2", "3"};

INSTANTIATE_TEST_SUITE_P(
    Cases, JoinFailuresThroughOffice,
    ::testing::Values(
        FailureCase{
            "MissingFileOfTableOne", {"missing.ods", "1", "1", "3", "1", "2"}, stock, {}, 134},
        FailureCase{
            "MissingFileOfTableTwo", fruit, {"missing.ods", "1", "2", "3", "2", "3"}, {}, 166},
        FailureCase{"SheetZero", {"table1.ods", "0", "1", "3", "1", "2"}, stock, {}, 136},
        FailureCase{"SheetBeyondTheLast", fruit, {"table2.ods", "3", "2", "3", "2", "3"}, {}, 168},
        FailureCase{"RowFieldAbc",
                    {"table1.ods", "1", "1", "abc", "1", "2"},
                    stock,
                    {"Table #1: Row From must be less than Row To."},
                    108},
        FailureCase{"RowsOfTableOne",
                    {"table1.ods", "1", "3", "1", "1", "2"},
                    stock,
                    {"Table #1: Row From must be less than Row To."},
                    0},
        FailureCase{"RowsOfTableTwo",
                    fruit,
                    {"table2.ods", "1", "3", "2", "2", "3"},
                    {"Table #2: Row From must be less than Row To."},
                    0},
        FailureCase{"ColumnsOfTableOne",
                    {"table1.ods", "1", "1", "3", "2", "1"},
                    stock,
                    {"Table #1: Column From must be less than Column To."},
                    0},
        FailureCase{"ColumnsOfTableTwo",
                    fruit,
                    {"table2.ods", "1", "2", "3", "3", "2"},
                    {"Table #2: Column From must be less than Column To."},
                    0}),
    [](const auto& failureCase) { return failureCase.param.name; });

} // namespace
} // namespace gridwork

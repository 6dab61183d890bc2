#include "join/intermediate_file.h"
#include "test_folder.h"

#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace gridwork {
namespace {

namespace fs = std::filesystem;

std::string contents(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::vector<std::string>> allLines(IntermediateFile& file) {
    file.startReading();
    std::vector<std::vector<std::string>> lines;
    std::vector<std::string> fields;
    while (file.readLine(fields)) {
        lines.push_back(fields);
    }
    return lines;
}

TEST(IntermediateFileWhere, IsPrivateUniqueAndInTemp) {
    test::TestFolder folder;
    test::ScopedEnvironment temp("TEMP", folder.path().string());
    fs::path first;
    {
        IntermediateFile a;
        IntermediateFile b;
        first = a.path();
        EXPECT_EQ(a.path().parent_path(), folder.path());
        EXPECT_NE(a.path(), b.path());
        EXPECT_EQ(fs::status(a.path()).permissions() & fs::perms::all,
                  fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(folder.entries().size(), 2U);
    }
    EXPECT_FALSE(fs::exists(first));
    EXPECT_TRUE(folder.entries().empty());
}

TEST(IntermediateFileWhere, FallsBackToThePlatformTemporaryFolder) {
    test::TestFolder folder;
    test::ScopedEnvironment temp("TEMP", std::nullopt);
    test::ScopedEnvironment tmpdir("TMPDIR", folder.path().string());
    IntermediateFile file;
    EXPECT_EQ(file.path().parent_path(), folder.path());

    test::ScopedEnvironment emptyTemp("TEMP", "");
    IntermediateFile second;
    EXPECT_EQ(second.path().parent_path(), folder.path());
}

TEST(IntermediateFileWhere, MissingFolderIsAClearFailure) {
    test::TestFolder folder;
    const auto missing = folder.path() / "missing";
    try {
        IntermediateFile file(missing);
        FAIL() << "created in a missing folder";
    } catch (const IntermediateFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create the intermediate file in \"" +
                                             missing.string() + "\": No such file or directory");
    }
}

TEST(IntermediateFileWhere, RemoveIsFinalAndMoveHandsTheFileOver) {
    test::TestFolder folder;
    IntermediateFile file(folder.path());
    const auto path = file.path();
    IntermediateFile moved(std::move(file));
    EXPECT_EQ(moved.path(), path);
    EXPECT_TRUE(fs::exists(path));
    fs::permissions(path, fs::perms::owner_read);
    moved.remove();
    EXPECT_FALSE(fs::exists(path));
    EXPECT_TRUE(moved.path().empty());
    moved.remove();
    EXPECT_THROW(moved.appendLine({"x"}), IntermediateFileError);
}

TEST(IntermediateFileFormat, CellsEndWithTheSeparatorAndLinesWithCrLf) {
    test::TestFolder folder;
    IntermediateFile file(folder.path());
    file.appendLine({"Name", "Qty"});
    file.appendLine({"Apples", "5"});
    file.appendLine({""});
    file.appendLine({});
    file.finishWriting();
    EXPECT_EQ(contents(file.path()), "Name||MySeparator12||Qty||MySeparator12||\r\n"
                                     "Apples||MySeparator12||5||MySeparator12||\r\n"
                                     "||MySeparator12||\r\n"
                                     "\r\n");
    EXPECT_THROW(file.appendLine({"late"}), IntermediateFileError);
    using Lines = std::vector<std::vector<std::string>>;
    EXPECT_EQ(allLines(file), (Lines{{"Name", "Qty", ""}, {"Apples", "5", ""}, {"", ""}, {}}));
}

TEST(IntermediateFileFormat, EveryTextComesBackWhole) {
    const std::vector<std::string> texts = {"||MySeparator12||",
                                            "a||MySeparator12||b",
                                            "||MySeparator12|",
                                            "|MySeparator12||",
                                            "|",
                                            "||",
                                            "x|",
                                            "\\",
                                            "\\p\\r\\n\\\\",
                                            "line\r\nbreak",
                                            "cr\ronly",
                                            "lf\nonly",
                                            "\r\n",
                                            "Grüße, 東京, 🙂",
                                            std::string("zero\0byte", 9),
                                            "  blanks  ",
                                            ""};
    test::TestFolder folder;
    IntermediateFile file(folder.path());
    file.appendLine(texts);
    for (const auto& text : texts) {
        file.appendLine({text, text});
    }
    file.finishWriting();
    const std::string raw = contents(file.path());
    const auto lineCount = static_cast<std::ptrdiff_t>(texts.size() + 1);
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\n'), lineCount) << "only line ends hold LF";
    EXPECT_EQ(std::count(raw.begin(), raw.end(), '\r'), lineCount) << "only line ends hold CR";

    const auto lines = allLines(file);
    ASSERT_EQ(lines.size(), texts.size() + 1);
    auto expected = texts;
    expected.push_back("");
    EXPECT_EQ(lines[0], expected);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(lines[i + 1], (std::vector<std::string>{texts[i], texts[i], ""})) << i;
    }
}

TEST(IntermediateFileFormat, EscapesRoundTripAndUnknownOnesAreDamage) {
    std::string line;
    IntermediateFile::appendEscaped(line, "a|b\\c\rd\ne");
    EXPECT_EQ(line, "a\\pb\\\\c\\rd\\ne");
    EXPECT_EQ(IntermediateFile::unescaped(line), "a|b\\c\rd\ne");
    try {
        IntermediateFile::unescaped("x\\q");
        FAIL() << "unknown escape accepted";
    } catch (const IntermediateFileError& e) {
        EXPECT_STREQ(e.what(), "The intermediate file is damaged: unknown escape in \"x\\q\"");
    }
    EXPECT_THROW(IntermediateFile::unescaped("x\\"), IntermediateFileError);
}

TEST(IntermediateFileFormat, LongFilesStreamAcrossTheBuffer) {
    test::TestFolder folder;
    IntermediateFile file(folder.path());
    const std::string wide(300'000, 'w');
    for (int i = 0; i < 20; ++i) {
        file.appendLine({std::to_string(i), wide, "a\r\nb"});
    }
    const auto lines = allLines(file);
    ASSERT_EQ(lines.size(), 20U);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(lines[static_cast<std::size_t>(i)],
                  (std::vector<std::string>{std::to_string(i), wide, "a\r\nb", ""}));
    }
}

} // namespace
} // namespace gridwork

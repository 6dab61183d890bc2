#include "office/office_messages.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace gridwork {
namespace {

TEST(OfficeMessages, SourceLocationsGoAndTheMeaningStays) {
    EXPECT_EQ(withoutSourceLocations("at ./sc/source/ui/unoobj/docuno.cxx:3938"), "");
    EXPECT_EQ(withoutSourceLocations("Unsupported URL <file:///a>: \"type detection failed\" at "
                                     "./framework/source/loadenv/loadenv.cxx:198"),
              "Unsupported URL <file:///a>: \"type detection failed\"");
    EXPECT_EQ(withoutSourceLocations("meet at 5 at noon"), "meet at 5 at noon");
    EXPECT_EQ(plainWordsForType("com.sun.star.lang.IndexOutOfBoundsException"),
              "a sheet or cell position lies outside the document");
    EXPECT_EQ(plainWordsForType("com.sun.star.unknown.Thing"), "");
}

TEST(OfficeMessages, AnOdsPackageWithoutDocumentWasACancelledQuestion) {
    const auto folder = std::filesystem::temp_directory_path() / "gridwork-office-messages";
    std::filesystem::create_directories(folder);
    const auto ods = folder / "asked.ods";
    std::ofstream(ods, std::ios::binary)
        << std::string("PK\x03\x04", 4) << std::string(26, '\0')
        << "mimetypeapplication/vnd.oasis.opendocument.spreadsheet";
    EXPECT_EQ(noDocumentReason(ods, true),
              "\"" + ods.string() +
                  "\" was not opened: a question the office asked about "
                  "it (a password, a repair) was cancelled");
    std::ofstream(folder / ".~lock.asked.ods#") << ",ann\\,x,,;";
    EXPECT_EQ(lockHolder(ods), "user ann,x");
    std::filesystem::remove_all(folder);
}

} // namespace
} // namespace gridwork

#include "shell/app_title.h"
#include "shell/maker.h"

#include <gtest/gtest.h>

namespace gridwork {
namespace {

TEST(ApplicationTitle, ProductTitleLosesItsLastTwoWords) {
    EXPECT_EQ(applicationTitle(maker::productTitle), "Quessamoor Gridwork Stacker For Desktop");
    EXPECT_EQ(applicationTitle(maker::productTitle).size(), 39U);
}

TEST(ApplicationTitle, ShortTitleStillLosesOneWord) {
    EXPECT_EQ(applicationTitle("Alpha Beta Gamma"), "Alpha Beta");
    // Exactly 40 characters in several words.
    const std::string forty = "Abcdefghij Abcdefghij Abcdefghij Abcdefg";
    ASSERT_EQ(forty.size(), 40U);
    EXPECT_EQ(applicationTitle(forty), "Abcdefghij Abcdefghij Abcdefghij");
}

TEST(ApplicationTitle, CutsUntilAtMostFortyCharacters) {
    // 45 characters: a last word of four letters leaves exactly 40.
    const std::string lastFour = "Abcdefghij Abcdefghij Abcdefghij Abcdefg Wxyz";
    ASSERT_EQ(lastFour.size(), 45U);
    EXPECT_EQ(applicationTitle(lastFour), "Abcdefghij Abcdefghij Abcdefghij Abcdefg");
    // A last word of three letters leaves 41, so the word before it goes as well.
    const std::string lastThree = "Abcdefghij Abcdefghij Abcdefghij Abcdefgh Xyz";
    ASSERT_EQ(lastThree.size(), 45U);
    EXPECT_EQ(applicationTitle(lastThree), "Abcdefghij Abcdefghij Abcdefghij");
}

TEST(ApplicationTitle, CountsCharactersNotBytes) {
    // 40 characters but more bytes before the last word: only that word goes.
    const std::string accented = "Äbcdefghij Äbcdefghij Äbcdefghij Äbcdefg Wxyz";
    EXPECT_EQ(applicationTitle(accented), "Äbcdefghij Äbcdefghij Äbcdefghij Äbcdefg");
}

TEST(ApplicationTitle, TitleWithoutBlanksIsCutToFortyCharacters) {
    EXPECT_EQ(applicationTitle("Single"), "Single");
    EXPECT_EQ(applicationTitle(std::string(50, 'x')), std::string(40, 'x'));
    EXPECT_EQ(applicationTitle(""), "");
}

} // namespace
} // namespace gridwork

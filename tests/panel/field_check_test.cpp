#include "panel/field_check.h"

#include <gtest/gtest.h>

namespace gridwork {
namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QLocale german(QLocale::German, QLocale::Germany);

QString message(const char* text, const QLocale& locale = english) {
    return fieldCheckMessage(QString::fromUtf8(text), locale);
}

TEST(RoundHalfToEven, HalfwayGoesToTheEvenNeighbour) {
    EXPECT_EQ(roundHalfToEven(0.5), 0.0);
    EXPECT_EQ(roundHalfToEven(1.5), 2.0);
    EXPECT_EQ(roundHalfToEven(2.5), 2.0);
    EXPECT_EQ(roundHalfToEven(3.5), 4.0);
    EXPECT_EQ(roundHalfToEven(-0.5), 0.0);
    EXPECT_EQ(roundHalfToEven(-1.5), -2.0);
    EXPECT_EQ(roundHalfToEven(-2.5), -2.0);
}

TEST(RoundHalfToEven, OtherValuesGoToTheNearest) {
    EXPECT_EQ(roundHalfToEven(0.49), 0.0);
    EXPECT_EQ(roundHalfToEven(0.6), 1.0);
    EXPECT_EQ(roundHalfToEven(2.51), 3.0);
    EXPECT_EQ(roundHalfToEven(-0.6), -1.0);
    EXPECT_EQ(roundHalfToEven(7.0), 7.0);
    EXPECT_EQ(roundHalfToEven(32767.5), 32768.0);
}

TEST(LocaleNumber, AcceptsBlanksSignSeparatorsAndExponent) {
    EXPECT_EQ(localeNumber(QStringLiteral(" 3 "), english), 3.0);
    EXPECT_EQ(localeNumber(QStringLiteral("+4"), english), 4.0);
    EXPECT_EQ(localeNumber(QStringLiteral("-5"), english), -5.0);
    EXPECT_EQ(localeNumber(QStringLiteral("2.5"), english), 2.5);
    EXPECT_EQ(localeNumber(QStringLiteral("1,234"), english), 1234.0);
    EXPECT_EQ(localeNumber(QStringLiteral("1E3"), english), 1000.0);
    EXPECT_EQ(localeNumber(QStringLiteral("2,5"), german), 2.5);
    EXPECT_EQ(localeNumber(QStringLiteral("1.234"), german), 1234.0);
}

TEST(LocaleNumber, RejectsWhatIsNoNumber) {
    for (const char* text : {"", "   ", "abc", "3a", "-", "1..2", "inf", "nan", "0x10", "1 2"}) {
        EXPECT_FALSE(localeNumber(QString::fromLatin1(text), english)) << text;
    }
    EXPECT_FALSE(localeNumber(QStringLiteral("2.5.1"), german));
}

TEST(FieldCheck, PassingEntriesShowNothing) {
    for (const char* text : {"1", "0.6", "2.5", " 3 ", "1E3", "12", "+1", "32767"}) {
        EXPECT_EQ(message(text), QString()) << text;
    }
    EXPECT_EQ(message("1,5", german), QString());
}

TEST(FieldCheck, NotNumeric) {
    for (const char* text : {"", "abc", "3a", "-", " "}) {
        EXPECT_EQ(message(text), QStringLiteral("Must be a numeric entry.")) << text;
    }
    // The decimal separator of another locale is no number here.
    EXPECT_EQ(message("1,5,0", english), QStringLiteral("Must be a numeric entry."));
}

TEST(FieldCheck, NotGreaterThanZero) {
    for (const char* text : {"0", "-5", "0.5", "-0.4", "0.0"}) {
        EXPECT_EQ(message(text), QStringLiteral("Must be greater than zero.")) << text;
    }
}

TEST(FieldCheck, BeyondSixteenBitsIsJudgedByItsSign) {
    // Positive entries too large for the join's 16-bit numbers pass here; the join run reports
    // them when it reads them. Negative ones are not greater than zero.
    EXPECT_EQ(message("32768"), QString());
    EXPECT_EQ(message("40000"), QString());
    EXPECT_EQ(message("1E10"), QString());
    EXPECT_EQ(message("-32769"), QStringLiteral("Must be greater than zero."));
    EXPECT_EQ(message("-1E10"), QStringLiteral("Must be greater than zero."));
}

} // namespace
} // namespace gridwork

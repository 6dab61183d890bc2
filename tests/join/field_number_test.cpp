#include "join/field_number.h"

#include <gtest/gtest.h>
#include <string>

namespace gridwork {
namespace {

template <class Error, class Call> std::string failure(Call&& call) {
    try {
        call();
    } catch (const Error& e) {
        return e.what();
    }
    return "no failure";
}

TEST(FieldNumber, ReadsWholeNumbersLikeTheOldRuntime) {
    EXPECT_EQ(fieldInt16("1"), 1);
    EXPECT_EQ(fieldInt16("  3 "), 3);
    EXPECT_EQ(fieldInt16("\t12\t"), 12);
    EXPECT_EQ(fieldInt16("+7"), 7);
    EXPECT_EQ(fieldInt16("-5"), -5);
    EXPECT_EQ(fieldInt16("007"), 7);
    EXPECT_EQ(fieldInt16("1E3"), 1000);
    EXPECT_EQ(fieldInt16("1e+2"), 100);
    EXPECT_EQ(fieldInt16("25e-1"), 2);
    EXPECT_EQ(fieldInt16("0.6"), 1);
    EXPECT_EQ(fieldInt16(".6"), 1);
    EXPECT_EQ(fieldInt16("5."), 5);
    EXPECT_EQ(fieldInt16("-0"), 0);
    EXPECT_EQ(fieldInt16("0e999999999999"), 0);
    EXPECT_EQ(fieldInt16("1e-999999999999"), 0);
}

TEST(FieldNumber, RoundsHalvesToTheEvenNeighbour) {
    EXPECT_EQ(fieldInt16("0.5"), 0);
    EXPECT_EQ(fieldInt16("1.5"), 2);
    EXPECT_EQ(fieldInt16("2.5"), 2);
    EXPECT_EQ(fieldInt16("3.5"), 4);
    EXPECT_EQ(fieldInt16("-2.5"), -2);
    EXPECT_EQ(fieldInt16("-3.5"), -4);
    EXPECT_EQ(fieldInt16("2.5000001"), 3);
    EXPECT_EQ(fieldInt16("2.49999"), 2);
    EXPECT_EQ(fieldInt16("0.05"), 0);
}

TEST(FieldNumber, KeepsToTheRangeOfItsType) {
    EXPECT_EQ(fieldInt16("32767"), 32767);
    EXPECT_EQ(fieldInt16("-32768"), -32768);
    EXPECT_EQ(fieldInt16("32767.4"), 32767);
    EXPECT_EQ(failure<OverflowError>([] { fieldInt16("32767.5"); }),
              "Overflow: \"32767.5\" is outside -32768 to 32767");
    EXPECT_EQ(failure<OverflowError>([] { fieldInt16("40000"); }),
              "Overflow: \"40000\" is outside -32768 to 32767");
    EXPECT_EQ(fieldInt32("40000"), 40000);
    EXPECT_EQ(fieldInt32("2147483647"), 2147483647);
    EXPECT_EQ(fieldInt32("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(failure<OverflowError>([] { fieldInt32("2147483648"); }),
              "Overflow: \"2147483648\" is outside -2147483648 to 2147483647");
    EXPECT_EQ(failure<OverflowError>([] { fieldInt32("1e300"); }),
              "Overflow: \"1e300\" is outside -2147483648 to 2147483647");
    EXPECT_EQ(failure<OverflowError>([] { fieldInt32("99999999999999999999999"); }),
              "Overflow: \"99999999999999999999999\" is outside -2147483648 to 2147483647");
}

TEST(FieldNumber, TextThatIsNoNumberIsATypeMismatch) {
    for (const std::string text : {"abc", "", "   ", "3a", "a3", "1,5", "1 000", "1e", "1e+", ".",
                                   "+", "-", "--1", "1..2", "0x10", "e5", "1e5.5"}) {
        EXPECT_EQ(failure<TypeMismatchError>([&] { fieldInt16(text); }),
                  "Type mismatch: \"" + text + "\" is not a number")
            << text;
        EXPECT_THROW(fieldInt32(text), TypeMismatchError) << text;
    }
}

TEST(FieldNumber, DifferencesOverflowInsteadOfWrapping) {
    EXPECT_EQ(checkedDifference16(5, 1), 4);
    EXPECT_EQ(checkedDifference16(0, 1), -1);
    EXPECT_EQ(failure<OverflowError>([] { checkedDifference16(-32768, 1); }),
              "Overflow: -32768 minus 1 is outside -32768 to 32767");
    EXPECT_EQ(checkedDifference32(2147483647, 0), 2147483647);
    EXPECT_EQ(failure<OverflowError>([] { checkedDifference32(2147483647, -5); }),
              "Overflow: 2147483647 minus -5 is outside -2147483648 to 2147483647");
}

} // namespace
} // namespace gridwork

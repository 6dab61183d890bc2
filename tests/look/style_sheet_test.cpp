#include "look/style_sheet.h"

#include <gtest/gtest.h>
#include <stdexcept>
#include <string>

namespace gridwork {
namespace {

std::string refusal(const QString& text) {
    try {
        parseStyleSheet(text);
    } catch (const std::runtime_error& e) {
        return e.what();
    }
    return "accepted";
}

TEST(StyleSheetTest, ReadsRulesSelectorsAndDeclarations) {
    const auto rules = parseStyleSheet("/* head */\n"
                                       "QPushButton:hover , QGroupBox > QLabel#Label2 {\n"
                                       "  color : #102030 ;\n"
                                       "  image: url(\"a;b{}.png\"); /* note */ margin: 1px\n"
                                       "}\n"
                                       "QLineEdit[text=\"a,b{\"] { ; qproperty-alignment: "
                                       "AlignRight; }");
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].selectors, QStringList({"QPushButton:hover", "QGroupBox > QLabel#Label2"}));
    ASSERT_EQ(rules[0].declarations.size(), 3u);
    EXPECT_EQ(rules[0].declarations[0].property, "color");
    EXPECT_EQ(rules[0].declarations[0].value, "#102030");
    EXPECT_EQ(rules[0].declarations[1].value, "url(\"a;b{}.png\")");
    EXPECT_EQ(rules[0].declarations[2].property, "margin");
    EXPECT_EQ(rules[1].selectors, QStringList({"QLineEdit[text=\"a,b{\"]"}));
    ASSERT_EQ(rules[1].declarations.size(), 1u);
    EXPECT_EQ(rules[1].declarations[0].property, "qproperty-alignment");
}

TEST(StyleSheetTest, WrittenRulesReadBackTheSame) {
    const auto rules = parseStyleSheet("A, B C { x: 1; y: url(a;b) }  D::title { z: \"}\"; }");
    const QString written = writeStyleSheet(rules);
    EXPECT_EQ(written, "A, B C {\n    x: 1;\n    y: url(a;b);\n}\nD::title {\n    z: \"}\";\n}\n");
    const auto again = parseStyleSheet(written);
    ASSERT_EQ(again.size(), rules.size());
    EXPECT_EQ(again[1].declarations[0].value, "\"}\"");
}

TEST(StyleSheetTest, FaultsAreNamedWithTheirLine) {
    EXPECT_EQ(refusal(""), "it holds no style rule");
    EXPECT_EQ(refusal("  /* only a comment */\n"), "it holds no style rule");
    EXPECT_EQ(refusal("QLabel { color: red; }\n/* open"),
              "line 2: a comment is not closed with \"*/\"");
    EXPECT_EQ(refusal("QLabel {\n color: red;\n"),
              "line 1: the rule for \"QLabel\" is not closed with '}'");
    EXPECT_EQ(refusal("\n\nQLabel"), "line 3: the selector \"QLabel\" is not followed by '{'");
    EXPECT_EQ(refusal("QLabel { color: red; }\n}"), "line 2: a '}' outside any rule");
    EXPECT_EQ(refusal("QLabel { color: red; };"), "line 1: a ';' outside any rule");
    EXPECT_EQ(refusal("{ color: red; }"), "line 1: a '{' without a selector before it");
    EXPECT_EQ(refusal("QLabel, { color: red; }"), "line 1: an empty selector in \"QLabel,\"");
    EXPECT_EQ(refusal("@media print { QLabel { color: red; } }"),
              "line 1: \"@media print\" is no selector");
    EXPECT_EQ(refusal("QWidget > { color: red; }"), "line 1: \"QWidget >\" is no selector");
    EXPECT_EQ(refusal("QLabel {\n color red;\n}"),
              "line 2: \"color red\" is no declaration of the form property: value");
    EXPECT_EQ(refusal("QLabel {\n color: ;\n}"), "line 2: the property \"color\" has no value");
    EXPECT_EQ(refusal("QLabel {\n 1color: red;\n}"), "line 2: \"1color\" is no property name");
    EXPECT_EQ(refusal("QLabel {\n color: red;\n QPushButton { color: blue; }\n}"),
              "line 3: a '{' inside the rule for \"QLabel\"; close that rule with '}' first");
    EXPECT_EQ(refusal("QLabel {\n image: url(a.png;\n}"), "line 2: a '(' is not closed");
    EXPECT_EQ(refusal("QLabel {\n image: a.png);\n}"), "line 2: a ')' that closes nothing");
    EXPECT_EQ(refusal("QLabel {\n image: \"a.png;\n}"),
              "line 2: a quoted text is not closed on its line");
}

TEST(StyleSheetTest, NarrowingTouchesOnlyTheLastCompound) {
    const QString mark = "[m=\"1\"]";
    EXPECT_EQ(narrowSelector("QWidget", mark), "QWidget[m=\"1\"]");
    EXPECT_EQ(narrowSelector("*", mark), "*[m=\"1\"]");
    EXPECT_EQ(narrowSelector("QPushButton:hover:!pressed", mark),
              "QPushButton[m=\"1\"]:hover:!pressed");
    EXPECT_EQ(narrowSelector("QGroupBox::title", mark), "QGroupBox[m=\"1\"]::title");
    EXPECT_EQ(narrowSelector("QDialog:active QGroupBox > QLabel", mark),
              "QDialog:active QGroupBox > QLabel[m=\"1\"]");
    EXPECT_EQ(narrowSelector("QLabel[text=\"a:b c\"]:disabled", mark),
              "QLabel[text=\"a:b c\"][m=\"1\"]:disabled");
}

} // namespace
} // namespace gridwork

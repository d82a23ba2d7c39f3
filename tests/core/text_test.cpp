#include "core/text.hpp"

#include <gtest/gtest.h>

namespace qivra {
namespace {

TEST(TextBetween, FindsMarkersIgnoringCaseByDefault) {
    EXPECT_EQ(TextBetween("版本:1.4.0]1 公告:hi]4", "版本:", "]1"), "1.4.0");
    EXPECT_EQ(TextBetween("xx jk1:ABC]7", "JK1:", "]7"), "ABC");
    EXPECT_EQ(TextBetween("xx jk1:ABC]7", "JK1:", "]7", 1, true), "");
    EXPECT_EQ(TextBetween("a[1]b[2]c", "[", "]", 4), "2");
    EXPECT_EQ(TextBetween("say \"hi\" now", "#引号", "#引号"), "hi");
    EXPECT_EQ(TextBetween("no markers", "<", ">"), "");
    EXPECT_EQ(TextBetween("left only <", "<", ">"), "");
    EXPECT_EQ(TextBetween("幸运28 第123期", "第", "期"), "123");
    EXPECT_EQ(TextBetween("abc", "a", "c", 99), "");
}

TEST(IntegerValue, ReadsTheLeadingIntegerOrZero) {
    struct Case { const char* text; int32_t value; } cases[] = {
        {"100", 100}, {" 42", 42}, {"-13.5", -13}, {"19.75", 19}, {"+7x", 7}, {"abc", 0},
        {"", 0}, {"1e21", 1}, {"4294967297", 1}, {"-", 0}, {"2147483648", INT32_MIN},
    };
    for (const Case& c : cases) EXPECT_EQ(IntegerValue(c.text), c.value) << c.text;
    EXPECT_TRUE(IsIntegerText("100"));
    EXPECT_TRUE(IsIntegerText("-5"));
    EXPECT_FALSE(IsIntegerText("1.5"));
    EXPECT_FALSE(IsIntegerText(""));
    EXPECT_FALSE(IsIntegerText("12a"));
}

TEST(NumberText, UsesPercentG13) {
    EXPECT_EQ(NumberText(50), "50");
    EXPECT_EQ(NumberText(12.5), "12.5");
    EXPECT_EQ(NumberText(100.0 / 3.0), "33.33333333333");
}

TEST(SplitText, DropsOnlyTheTrailingEmptyPiece) {
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitText("", "\r\n"), V{});
    EXPECT_EQ(SplitText("a\r\nb\r\n", "\r\n"), (V{"a", "b"}));
    EXPECT_EQ(SplitText("|b||", "|"), (V{"", "b", ""}));
    EXPECT_EQ(SplitText("[1]|[2]|", "|"), (V{"[1]", "[2]"}));
    EXPECT_EQ(SplitText("a----b----c", "----"), (V{"a", "b", "c"}));
}

TEST(Gbk, RoundTripsAndRefusesInvalidInput) {
    const std::string text = "Qivra超神算法----[1]+[2]|≥＞";
    auto gbk = Utf8ToGbk(text);
    ASSERT_TRUE(gbk.has_value());
    EXPECT_NE(*gbk, text);
    EXPECT_EQ(GbkToUtf8(*gbk), text);
    EXPECT_FALSE(GbkToUtf8("\x81").has_value());          // truncated double-byte
    EXPECT_FALSE(Utf8ToGbk("\xE8\xB6").has_value());      // truncated UTF-8
    EXPECT_FALSE(Utf8ToGbk("\xF0\x9F\x98\x80").has_value());  // no GBK form
    EXPECT_TRUE(IsValidUtf8("超神"));
    EXPECT_FALSE(IsValidUtf8("\xC0\x80"));
}

}  // namespace
}  // namespace qivra

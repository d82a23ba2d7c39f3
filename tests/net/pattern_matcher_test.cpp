#include "net/pattern_matcher.hpp"

#include <gtest/gtest.h>

#include <memory>

namespace qivra {
namespace {

std::vector<int> Positions(const PatternMatcher& m) {
    std::vector<int> out;
    for (int i = 1; i <= m.MatchCount(); ++i) {
        int pos = -2;
        m.MatchText(i, &pos);
        out.push_back(pos);
    }
    return out;
}

TEST(PatternMatcher, CutsCrLfLinesIntoGroups) {
    PatternMatcher m;
    const std::string feed = "1001-08:05-3+4+5\r\n1000-08:01-0+0+0\r\n999-07:58-1+1+1";
    ASSERT_TRUE(m.Create("(.*?)-(.*?)-(.*?)\\r\\n", feed));
    ASSERT_EQ(m.MatchCount(), 2);  // the last line has no CR LF
    EXPECT_EQ(m.SubMatchCount(), 3);
    int pos = -2;
    EXPECT_EQ(m.MatchText(2, &pos), "1000-08:01-0+0+0\r\n");
    EXPECT_EQ(pos, 18);
    EXPECT_EQ(m.SubMatchText(1, 1), "1001");
    EXPECT_EQ(m.SubMatchText(1, 3), "3+4+5");  // the lazy group stops before the CR
    EXPECT_EQ(m.SubMatchText(2, 2, &pos), "08:01");
    EXPECT_EQ(pos, 23);
    for (auto [i, j] : {std::pair{3, 1}, {1, 4}, {0, 1}, {1, 0}, {-1, -1}}) {
        pos = -2;
        EXPECT_EQ(m.SubMatchText(i, j, &pos), "") << i << "," << j;
        EXPECT_EQ(pos, -1);
    }
    EXPECT_EQ(m.MatchText(3, &pos), "");
    EXPECT_EQ(pos, -1);
}

TEST(PatternMatcher, DotTakesCrButNotLf) {
    PatternMatcher m;
    ASSERT_TRUE(m.Create("(.*?)-(.*?)-(.*?)\\r\\n", "a-b\rc-d\r\n"));
    ASSERT_EQ(m.MatchCount(), 1);
    EXPECT_EQ(m.SubMatchText(1, 2), "b\rc");
    ASSERT_TRUE(m.Create("(.*?)-(.*?)-(.*?)\\r\\n", "a-b\nc-d\r\n"));
    EXPECT_EQ(m.MatchCount(), 0);
}

TEST(PatternMatcher, ReportsWhereGroupsReallyAre) {
    PatternMatcher m;
    ASSERT_TRUE(m.Create("x(a)-(a)", "zxa-a"));
    int pos = -2;
    EXPECT_EQ(m.SubMatchText(1, 2, &pos), "a");
    EXPECT_EQ(pos, 4);
    ASSERT_TRUE(m.Create("(a)|(b)", "b"));
    EXPECT_EQ(m.SubMatchText(1, 1, &pos), "");  // took no part
    EXPECT_EQ(pos, -1);
    EXPECT_EQ(m.SubMatchText(1, 2, &pos), "b");
    EXPECT_EQ(pos, 0);
}

TEST(PatternMatcher, QuotePlaceholderStandsForADoubleQuote) {
    PatternMatcher m;
    const std::string text = R"(<a title="第1期">x</a> <b title="OK">)";
    ASSERT_TRUE(m.Create("#引号(.*?)#引号", text, false, true, true, true));
    EXPECT_EQ(m.PatternText(), "\"(.*?)\"");
    ASSERT_EQ(m.MatchCount(), 2);
    EXPECT_EQ(m.SubMatchText(1, 1), "第1期");
    EXPECT_EQ(m.SubMatchText(2, 1), "OK");
    ASSERT_TRUE(m.Create("#引号(.*?)#引号", text));  // placeholder off: literal text
    EXPECT_EQ(m.MatchCount(), 0);
}

TEST(PatternMatcher, OptionsCaseLinesAndGlobal) {
    PatternMatcher m;
    ASSERT_TRUE(m.Create("abc", "xABCx abc"));
    EXPECT_EQ(m.MatchCount(), 2);
    ASSERT_TRUE(m.Create("abc", "xABCx abc", true));
    EXPECT_EQ(Positions(m), std::vector<int>{6});
    ASSERT_TRUE(m.Create("^b", "a\r\nb\r\nb"));
    EXPECT_EQ(m.MatchCount(), 2);
    ASSERT_TRUE(m.Create("^b", "a\r\nb\r\nb", false, false));
    EXPECT_EQ(m.MatchCount(), 0);
    ASSERT_TRUE(m.Create("abc", "xABCx abc", false, true, false));
    EXPECT_EQ(Positions(m), std::vector<int>{1});
}

TEST(PatternMatcher, EmptyMatchesStepForwardAndEnd) {
    struct Case {
        const char* pattern;
        std::string text;
        std::vector<int> positions;
    } cases[] = {
        {"x*", "axxb", {0, 1, 3, 4}},
        {"x*", "ab\r\nc", {0, 1, 2, 4, 5}},  // nothing between CR and LF
        {"", "", {0}},
        {"(?=b)|b", "bb", {0, 0, 1, 1}},  // as in Perl: empty, then non-empty at one place
        {"$", "a\r\nb", {2, 4}},          // LF is the newline, so $ sits before it
    };
    PatternMatcher m;
    for (const Case& c : cases) {
        ASSERT_TRUE(m.Create(c.pattern, c.text)) << c.pattern;
        EXPECT_EQ(Positions(m), c.positions) << c.pattern;
    }
    ASSERT_TRUE(m.Create("x*", "axxb"));
    EXPECT_EQ(m.MatchText(2), "xx");
}

TEST(PatternMatcher, FailuresAndFreshObjectsGiveEmptyResults) {
    PatternMatcher fresh;
    EXPECT_EQ(fresh.MatchCount(), 0);
    EXPECT_EQ(fresh.SubMatchCount(), 0);
    EXPECT_EQ(fresh.MatchText(1), "");
    EXPECT_EQ(fresh.PatternText(), "");
    EXPECT_EQ(fresh.Replace("x"), "");

    PatternMatcher m;
    ASSERT_TRUE(m.Create("(a)", "aaa"));
    for (const char* bad : {"(abc", "a)", "[z-a]", "(*UTF)a", "a{2,1}"}) {
        EXPECT_FALSE(m.Create(bad, "abc aaa")) << bad;
        EXPECT_EQ(m.MatchCount(), 0);
        EXPECT_EQ(m.SubMatchCount(), 0);
        EXPECT_EQ(m.MatchText(1), "");
        EXPECT_EQ(m.PatternText(), "");
        EXPECT_EQ(m.Replace("x"), "");
        EXPECT_FALSE(m.LimitHit());
    }
}

TEST(PatternMatcher, LimitsEndRunawayRunsWithoutPartialResults) {
    struct Case {
        const char* what;
        const char* pattern;
        std::string text;
    };
    const Case cases[] = {
        {"steps grow exponentially", "(a+)+$", std::string(40, 'a') + "!"},
        // Matches with the library's default limits, but needs a frame per letter.
        {"backtracking depth grows with the text", "(?:a|b)*c", std::string(20000, 'a') + "c"},
        {"a later run fails after earlier matches", "x|(a+)+$", "x-x\r\n" + std::string(40, 'a') + "!"},
    };
    PatternMatcher m;
    for (const Case& c : cases) {
        ASSERT_TRUE(m.Create("(a)", "aaa"));
        EXPECT_FALSE(m.Create(c.pattern, c.text)) << c.what;
        EXPECT_TRUE(m.LimitHit()) << c.what;
        EXPECT_EQ(m.MatchCount(), 0) << c.what;
        EXPECT_EQ(m.Replace("y"), "") << c.what;
    }
    // Within the limits the same shapes match, and a good run clears the flag.
    ASSERT_TRUE(m.Create("(?:a|b)*c", std::string(1000, 'a') + "c"));
    EXPECT_FALSE(m.LimitHit());
    EXPECT_EQ(m.MatchCount(), 1);
}

TEST(PatternMatcher, WorksOnArbitraryBytes) {
    PatternMatcher m;
    const std::string gbk =
        "\xb5\xda"
        "123"
        "\xc6\xda-\xff\xfe-1+2+3\r\n";  // GBK, not UTF-8
    ASSERT_TRUE(m.Create("(.*?)-(.*?)-(.*?)\\r\\n", gbk));
    ASSERT_EQ(m.MatchCount(), 1);
    EXPECT_EQ(m.SubMatchText(1, 1),
              "\xb5\xda"
              "123"
              "\xc6\xda");
    EXPECT_EQ(m.SubMatchText(1, 2), "\xff\xfe");
}

TEST(PatternMatcher, ReplaceUsesGroupsAndHonoursGlobal) {
    PatternMatcher m;
    ASSERT_TRUE(m.Create("(\\d+)\\+(\\d+)", "1+2, 30+4."));
    EXPECT_EQ(m.Replace("$2-$1"), "2-1, 4-30.");
    EXPECT_EQ(m.Replace("[$&]$$$3"), "[1+2]$$3, [30+4]$$3.");
    EXPECT_EQ(m.Replace("$`|"), "|, 1+2, |.");
    ASSERT_TRUE(m.Create("(\\d+)\\+(\\d+)", "1+2, 30+4.", false, true, false));
    EXPECT_EQ(m.Replace("$1$2"), "12, 30+4.");
    ASSERT_TRUE(m.Create("x*", "ab"));
    EXPECT_EQ(m.Replace("-"), "-a-b-");
    ASSERT_TRUE(m.Create("z", "ab"));
    EXPECT_EQ(m.Replace("-"), "ab");
}

TEST(PatternMatcher, CopiesAndMovesAreIndependent) {
    auto original = std::make_unique<PatternMatcher>();
    ASSERT_TRUE(original->Create("(\\d)", "a1b2"));
    PatternMatcher copy = *original;
    PatternMatcher moved = std::move(*original);
    original.reset();
    EXPECT_EQ(copy.MatchCount(), 2);
    EXPECT_EQ(copy.SubMatchText(2, 1), "2");
    EXPECT_EQ(moved.Replace("<$1>"), "a<1>b<2>");
    copy = moved;
    EXPECT_EQ(copy.PatternText(), "(\\d)");
}

}  // namespace
}  // namespace qivra

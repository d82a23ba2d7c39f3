#include "net/results_feed.hpp"

#include <gtest/gtest.h>

#include <string>

#include "net/string_cipher.hpp"
#include "net/stored_text.hpp"

namespace qivra {
namespace {

std::string Game0Line(int period, const std::string& digits = "1 + 2 + 3") {
    return std::to_string(period) + "-2020-01-01 08:05:00-" + digits + " = 6\r\n";
}
std::string Game1Line(int period, const std::string& digits = "1+2+3") {
    return std::to_string(period) + "-12:34:56-" + digits + "\r\n";
}
// count lines of game 0, newest (highest period) first.
std::string Game0Body(int count, int first = 1000) {
    std::string body;
    for (int i = 0; i < count; ++i) body += Game0Line(first - i);
    return body;
}

TEST(ParseFeed, FirstLineOfEachGame) {
    struct Case {
        int game;
        std::string line;
        std::string period, time;
        int a, b, c, sum;
        std::string content;
    };
    const Case cases[] = {
        // The date part holds hyphens: its group ends at the first space.
        {0, "1234567-2020-01-01 08:05:00-3 + 4 + 5 = 12\r\n", "1234567", "08:05", 3, 4, 5, 12, "3 + 4 + 5 = 12"},
        // The feed's own sum is ignored.
        {0, "77-2020-01-01 23:59:59-9 + 9 + 9 = 0\r\n", "77", "23:59", 9, 9, 9, 27, "9 + 9 + 9 = 27"},
        {1, "2900001-12:34:56-0+0+0\r\n", "2900001", "12:34:56", 0, 0, 0, 0, "0 + 0 + 0 = 00"},
    };
    for (const Case& c : cases) {
        std::string body = c.line;
        for (int i = 0; i < 4; ++i) body += c.game == 0 ? Game0Line(10 - i) : Game1Line(10 - i);
        std::optional<DrawHistory> h = ParseFeed(body, c.game);
        ASSERT_TRUE(h) << c.line;
        ASSERT_EQ(h->size(), 5);
        const DrawRecord& d = h->newest();
        EXPECT_EQ(d.period, c.period);
        EXPECT_EQ(d.time, c.time);
        EXPECT_EQ(d.digit1, c.a);
        EXPECT_EQ(d.digit2, c.b);
        EXPECT_EQ(d.digit3, c.c);
        EXPECT_EQ(d.sum, c.sum);
        EXPECT_EQ(d.content, c.content);
        EXPECT_EQ(h->at(5).period, "7") << "feed order is kept, newest first";
    }
}

constexpr size_t kFourMiB = 4u << 20;

// Lines of hyphens and spaces without " = ": the lazy groups could try every split of them.
std::string HostileLines(size_t bytes) {
    std::string line;
    for (int i = 0; i < 80; ++i) line += i % 2 ? " " : "-";
    line += "\r\n";
    std::string body;
    body.reserve(bytes + line.size());
    while (body.size() < bytes) body += line;
    return body;
}

// One line holding every separator, longer than the matcher may walk in one run.
std::string OverlongLine() { return "9-2020-01-01 08:05:00-1 + 2 + 3 = " + std::string(kFourMiB, '6') + "\r\n"; }

TEST(ParseFeed, HistoryLengthFollowsTheCompleteLines) {
    struct Case {
        const char* what;
        std::string body;
        int expected;  // 0: no history
    };
    const Case cases[] = {
        {"empty body", "", 0},
        {"four lines", Game0Body(4), 0},
        {"five lines", Game0Body(5), 5},
        {"seven lines stop at the last match", Game0Body(7), 7},
        {"120 lines give the depth", Game0Body(120), 110},
        {"an unterminated last line does not count", Game0Body(4) + "5-2020-01-01 08:05:00-1 + 2 + 3 = 6", 0},
        {"LF alone is no line end", Game0Body(4) + "5-2020-01-01 08:05:00-1 + 2 + 3 = 6\n", 0},
        {"other lines are passed over", "<pre>\r\n" + Game0Body(3) + "\r\nnoise\r\n" + Game0Body(3, 500), 6},
        {"a long line is read like any other",
         Game0Body(4) + "9-2020-01-01 08:05:00-1 + 2 + 3 = " + std::string(2000, '6') + "\r\n", 5},
        {"4 MiB of separator soup is passed over", HostileLines(kFourMiB) + Game0Body(5) + HostileLines(1000), 5},
        // The matcher gives up on it: the body is refused rather than read with a gap.
        {"an overlong line refuses the body", Game0Body(6) + OverlongLine() + Game0Body(5, 500), 0},
        {"an overlong line past the depth is never read", Game0Body(120) + OverlongLine(), 110},
        // Broken digit groups end the history before them.
        {"letter among the digits", Game0Body(6) + Game0Line(1, "3 + x + 5") + Game0Body(3), 6},
        {"two digits only", Game0Body(5) + Game0Line(1, "3 + 4") + Game0Body(3), 5},
        {"a number above 9", Game0Body(5) + Game0Line(1, "10 + 4 + 5"), 5},
        {"a negative number", Game0Body(5) + Game0Line(1, "-1 + 4 + 5"), 5},
        {"too few left before the break", Game0Body(3) + Game0Line(1, "3 + + 5") + Game0Body(5), 0},
    };
    for (const Case& c : cases) {
        std::optional<DrawHistory> h = ParseFeed(c.body, 0);
        if (c.expected == 0) {
            EXPECT_FALSE(h) << c.what;
        } else {
            ASSERT_TRUE(h) << c.what;
            EXPECT_EQ(h->size(), c.expected) << c.what;
        }
    }
}

TEST(ParseFeed, GameOneLinesAndUnknownGames) {
    std::string body;
    for (int i = 0; i < 8; ++i) body += Game1Line(300 - i, std::to_string(i) + "+9+" + std::to_string(9 - i));
    std::optional<DrawHistory> h = ParseFeed(body, 1);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->size(), 8);
    EXPECT_EQ(h->at(8).period, "293");
    EXPECT_EQ(h->at(8).sum, 7 + 9 + 2);

    EXPECT_FALSE(ParseFeed(body, 0)) << "game-1 lines are not game-0 lines";
    EXPECT_FALSE(ParseFeed(Game0Body(8), 2));
    EXPECT_FALSE(ParseFeed(Game0Body(8), -1));
    EXPECT_EQ(ParseFeed(Game0Body(20), 0, 12)->size(), 12);
}

const DeploymentSettings kSettings{"", "127.0.0.1:28028", "old-results.qivra.invalid", "", ""};

TEST(LegacyHostRewrite, EverySpellingBecomesTheCurrentHost) {
    struct Case {
        const char* in;
        const char* out;
    };
    const Case cases[] = {
        {"http://www.old-results.qivra.invalid/f.txt", "http://127.0.0.1:28028/f.txt"},
        {"http://old-results.qivra.invalid/f.txt", "http://127.0.0.1:28028/f.txt"},
        {"www.old-results.qivra.invalid/f.txt", "http://127.0.0.1:28028/f.txt"},
        {"old-results.qivra.invalid/f.txt", "http://127.0.0.1:28028/f.txt"},
        {"https://old-results.qivra.invalid/f.txt", "http://127.0.0.1:28028/f.txt"},
        {"a old-results.qivra.invalid b www.old-results.qivra.invalid", "a http://127.0.0.1:28028 b http://127.0.0.1:28028"},
        {"http://OLD-results.qivra.invalid/", "http://OLD-results.qivra.invalid/"},  // case-sensitive
        {"http://127.0.0.1:28028/f.txt", "http://127.0.0.1:28028/f.txt"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(LegacyHostRewrite(c.in, kSettings.legacyDomain, kSettings.resultsHost), c.out) << c.in;
    }
    // A current host under the legacy domain is not rewritten again.
    EXPECT_EQ(LegacyHostRewrite("http://old.example/x", "old.example", "new.old.example"), "http://new.old.example/x");
    EXPECT_EQ(LegacyHostRewrite("www.example/x", "", "h"), "www.example/x");
}

TEST(FeedUrl, DecodesEachGamesEndpoint) {
    RemoteConfig config;
    config.feedEndpoint1 = Encipher("http://www.old-results.qivra.invalid/qivra/feed0.txt", kStoredTextKey);
    config.feedEndpoint2 = " HTTPS://127.0.0.1:9/feed1.txt\r\n";  // plain addresses are taken as they are
    EXPECT_EQ(FeedUrl(config, 0, kSettings), "http://127.0.0.1:28028/qivra/feed0.txt");
    EXPECT_EQ(FeedUrl(config, 1, kSettings), "HTTPS://127.0.0.1:9/feed1.txt");
    EXPECT_EQ(FeedUrl(config, 2, kSettings), "");

    for (const char* damaged : {"", "ABC", "ZZ", "not a url"}) {
        config.feedEndpoint1 = damaged;
        EXPECT_EQ(FeedUrl(config, 0, kSettings), "") << damaged;
    }
}

}  // namespace
}  // namespace qivra

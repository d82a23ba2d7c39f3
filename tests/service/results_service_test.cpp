#include "service/results_service.hpp"

#include <httplib.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>
#include <vector>

#include "core/text.hpp"
#include "net/remote_config.hpp"
#include "net/pattern_matcher.hpp"
#include "net/results_feed.hpp"
#include "net/string_cipher.hpp"

namespace qivra {
namespace {

// The line and its groups when the whole line matches the pattern; empty otherwise.
std::vector<std::string> MatchWholeLine(const std::string& pattern, const std::string& line) {
    PatternMatcher matcher;
    if (!matcher.Create("^" + pattern + "$", line, true) || matcher.MatchCount() != 1) return {};
    std::vector<std::string> groups{matcher.MatchText(1)};
    for (int j = 1; j <= matcher.SubMatchCount(); ++j) groups.push_back(matcher.SubMatchText(1, j));
    return groups;
}

using std::chrono::system_clock;

// Local wall-clock time in the test's time zone, as the service reads it.
system_clock::time_point Local(int y, int mo, int d, int h, int mi, int s) {
    std::tm tm{};
    tm.tm_year = y - 1900;
    tm.tm_mon = mo - 1;
    tm.tm_mday = d;
    tm.tm_hour = h;
    tm.tm_min = mi;
    tm.tm_sec = s;
    tm.tm_isdst = -1;
    return system_clock::from_time_t(std::mktime(&tm));
}

// Body split at CR LF; the piece after the last CR LF (empty for a well-ended body) is dropped
// into `tail`.
std::vector<std::string> Lines(const std::string& body, std::string* tail = nullptr) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t p; (p = body.find("\r\n", start)) != std::string::npos; start = p + 2)
        lines.push_back(body.substr(start, p - start));
    if (tail) *tail = body.substr(start);
    return lines;
}

class ResultsServiceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // A zone away from UTC, so that local time visibly drives the schedule.
        setenv("TZ", "CST-8", 1);
        tzset();
    }

    void SetUp() override {
        SetNow(Local(2024, 3, 10, 9, 12, 5));
        service_.SetClock([this] { return system_clock::time_point(std::chrono::seconds(now_.load())); });
        port_ = service_.Start();
        ASSERT_GT(port_, 0);
    }

    void SetNow(system_clock::time_point t) {
        now_ = std::chrono::duration_cast<std::chrono::seconds>(t.time_since_epoch()).count();
    }

    httplib::Result Get(const std::string& target) {
        httplib::Client client("127.0.0.1", port_);
        client.set_read_timeout(30, 0);
        return client.Get(target);
    }

    std::string Body(const std::string& target) {
        auto res = Get(target);
        if (!res || res->status != 200) {
            ADD_FAILURE() << target << " failed";
            return {};
        }
        return res->body;
    }

    std::atomic<int64_t> now_{0};
    ResultsService service_;
    int port_ = 0;
};

TEST_F(ResultsServiceTest, ConfigurationIsGbkAndItsEndpointsDecipherToTheFeeds) {
    service_.SetNotice("今晚八点维护");
    const std::string raw = Body(ResultsService::kConfigPath);
    EXPECT_FALSE(IsValidUtf8(raw));
    const auto text = GbkToUtf8(raw);
    ASSERT_TRUE(text);
    EXPECT_EQ(TextBetween(*text, "版本:", "]1"), "1.4.0");
    EXPECT_EQ(TextBetween(*text, "公告:", "]4"), "今晚八点维护");
    EXPECT_NE(TextBetween(*text, "更新:", "]5").find("\r\n"), std::string::npos);

    const std::string port = ":" + std::to_string(port_) + "/";
    for (auto [label, end, game] : {std::tuple{"JK1:", "]7", 0}, std::tuple{"JK2:", "]8", 1}}) {
        const auto url = Decipher(TextBetween(*text, label, end), kStoredTextKey);
        ASSERT_TRUE(url) << label;
        EXPECT_EQ(*url, service_.FeedUrl(game));
        EXPECT_NE(url->find("http://127.0.0.1" + port), std::string::npos);
        // The published address must actually serve that game's feed.
        EXPECT_EQ(Body(url->substr(url->find(port) + port.size() - 1)), service_.FeedText(game));
    }

    service_.SetPublishedVersion("1.4.1");
    EXPECT_EQ(TextBetween(GbkToUtf8(Body(ResultsService::kConfigPath)).value_or(""), "版本:", "]1"), "1.4.1");
}

// The program's own readers, end to end: configuration, endpoint decoding, feed parsing.
TEST_F(ResultsServiceTest, TheProgramsReadersTakeWhatItPublishes) {
    const RemoteConfig config = ParseRemoteConfig(Body(ResultsService::kConfigPath));
    EXPECT_TRUE(IsCurrentVersion(config));
    const DeploymentSettings settings;
    for (int game : {0, 1}) {
        SCOPED_TRACE(game);
        ASSERT_EQ(FeedUrl(config, game, settings), service_.FeedUrl(game));
        const std::string body = Body(ResultsService::FeedPath(game));
        const auto history = ParseFeed(body, game);
        ASSERT_TRUE(history);
        EXPECT_EQ(history->size(), kDefaultHistoryDepth + kHistoryLookback);
        EXPECT_EQ(history->newest().period, body.substr(0, body.find('-')));
    }
    EXPECT_EQ(ParseFeed(Body(ResultsService::FeedPath(0)), 0)->newest().time, "09:10");
}

TEST_F(ResultsServiceTest, NoticeOutsideGbkIsRefusedRatherThanMangled) {
    service_.SetNotice("\xF0\x9F\x8E\xB2");  // U+1F3B2 has no GBK form
    auto res = Get(ResultsService::kConfigPath);
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 500);
}

TEST_F(ResultsServiceTest, Game0FeedFollowsTheFiveMinuteDaytimeSchedule) {
    std::string tail;
    const auto lines = Lines(Body(ResultsService::FeedPath(0)), &tail);
    EXPECT_EQ(tail, "");  // CR LF after the last line too
    ASSERT_GE(lines.size(), 120u);

    const std::string pattern = R"((\d+)-(\d{4})-(\d{2})-(\d{2}) (\d{2}):(\d{2}):(\d{2})-(\d) \+ (\d) \+ (\d) = (\d+))";
    long long previousPeriod = 0;
    system_clock::time_point previousTime;
    int dayBreaks = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> m = MatchWholeLine(pattern, lines[i]);
        ASSERT_FALSE(m.empty()) << lines[i];
        const long long period = std::stoll(m[1]);
        EXPECT_LT(period + 1, 2147483647LL);
        const auto when = Local(std::stoi(m[2]), std::stoi(m[3]), std::stoi(m[4]), std::stoi(m[5]), std::stoi(m[6]),
                                std::stoi(m[7]));
        EXPECT_GE(std::stoi(m[5]), 9) << lines[i];
        EXPECT_EQ(std::stoi(m[6]) % 5, 0) << lines[i];
        EXPECT_EQ(m[7], "00");
        EXPECT_EQ(std::stoi(m[11]), std::stoi(m[8]) + std::stoi(m[9]) + std::stoi(m[10]));
        if (i == 0) {
            // Now is 09:12:05: the 09:10 draw is the newest one out.
            EXPECT_EQ(lines[i].substr(lines[i].find('-') + 1, 19), "2024-03-10 09:10:00");
        } else {
            EXPECT_EQ(period, previousPeriod - 1);
            const auto gap = std::chrono::duration_cast<std::chrono::minutes>(previousTime - when).count();
            if (gap != 5) {
                // Only the night pause, 23:55 to the next day's 09:00.
                EXPECT_EQ(gap, 9 * 60 + 5) << lines[i];
                ++dayBreaks;
            }
        }
        previousPeriod = period;
        previousTime = when;
    }
    EXPECT_EQ(dayBreaks, 1);
}

TEST_F(ResultsServiceTest, Game1FeedDrawsEvery210SecondsAroundTheClock) {
    SetNow(Local(2024, 3, 10, 0, 30, 0));
    std::string tail;
    const auto lines = Lines(Body(ResultsService::FeedPath(1)), &tail);
    EXPECT_EQ(tail, "");
    ASSERT_GE(lines.size(), 120u);
    const std::string pattern = R"((\d+)-(\d{2}):(\d{2}):(\d{2})-(\d)\+(\d)\+(\d))";
    long long previousPeriod = 0;
    int previousSecondOfDay = 0;
    bool sawSmallHours = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::vector<std::string> m = MatchWholeLine(pattern, lines[i]);
        ASSERT_FALSE(m.empty()) << lines[i];
        const long long period = std::stoll(m[1]);
        const int secondOfDay = std::stoi(m[2]) * 3600 + std::stoi(m[3]) * 60 + std::stoi(m[4]);
        sawSmallHours |= std::stoi(m[2]) < 9;
        if (i > 0) {
            EXPECT_EQ(period, previousPeriod - 1);
            EXPECT_EQ((previousSecondOfDay - secondOfDay + 86400) % 86400, 210) << lines[i];
        }
        previousPeriod = period;
        previousSecondOfDay = secondOfDay;
    }
    EXPECT_TRUE(sawSmallHours);
}

struct NextDrawCase {
    int game;
    system_clock::time_point due;  // a scheduled draw time
};

TEST_F(ResultsServiceTest, ADrawAppearsEightSecondsAfterItsTime) {
    const int64_t game1Due = (std::chrono::duration_cast<std::chrono::seconds>(
                                  Local(2024, 3, 10, 21, 0, 0).time_since_epoch()).count() / 210 + 1) * 210;
    const NextDrawCase cases[] = {
        {0, Local(2024, 3, 10, 9, 15, 0)},
        {0, Local(2024, 3, 11, 9, 0, 0)},  // the first draw after the night pause
        {1, system_clock::time_point(std::chrono::seconds(game1Due))},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.game);
        SetNow(c.due + std::chrono::seconds(7));
        const auto before = Lines(Body(ResultsService::FeedPath(c.game)));
        SetNow(c.due + std::chrono::seconds(8));
        const auto after = Lines(Body(ResultsService::FeedPath(c.game)));
        ASSERT_EQ(before.size(), after.size());
        ASSERT_FALSE(before.empty());
        EXPECT_EQ(std::stoll(after[0]), std::stoll(before[0]) + 1);
        EXPECT_TRUE(std::equal(after.begin() + 1, after.end(), before.begin()));
    }
}

TEST_F(ResultsServiceTest, RestartPublishesTheSameHistory) {
    const std::string config = Body(ResultsService::kConfigPath);
    const std::string feed0 = Body(ResultsService::FeedPath(0));
    const std::string feed1 = Body(ResultsService::FeedPath(1));
    service_.Stop();
    service_.Stop();
    EXPECT_FALSE(service_.Running());
    EXPECT_EQ(service_.FeedUrl(0), "");

    const int again = service_.Start("127.0.0.1", port_);
    ASSERT_EQ(again, port_);
    EXPECT_EQ(service_.Start(), port_);  // already running: the same port
    EXPECT_EQ(Body(ResultsService::kConfigPath), config);
    EXPECT_EQ(Body(ResultsService::FeedPath(0)), feed0);

    ResultsService other;
    other.SetClock([this] { return system_clock::time_point(std::chrono::seconds(now_.load())); });
    const int otherPort = other.Start();
    ASSERT_GT(otherPort, 0);
    httplib::Client client("127.0.0.1", otherPort);
    auto res = client.Get(ResultsService::FeedPath(1));
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, feed1);
}

TEST_F(ResultsServiceTest, FaultParametersShapeTheAnswer) {
    const std::string feed = Body(ResultsService::FeedPath(0));
    const std::string path = ResultsService::FeedPath(0);
    struct Case {
        const char* query;
        int status;
        std::function<void(const std::string&)> check;
    };
    const std::vector<Case> cases = {
        {"?status=500", 500, nullptr},
        {"?status=404", 404, nullptr},
        {"?empty=1", 200, [](const std::string& b) { EXPECT_EQ(b, ""); }},
        {"?truncate=1", 200,
         [&](const std::string& b) {
             std::string tail;
             const auto lines = Lines(b, &tail);
             EXPECT_EQ(feed.compare(0, b.size(), b), 0);  // a prefix of the real feed
             EXPECT_FALSE(tail.empty());
             EXPECT_LT(tail.size(), Lines(feed).back().size());
             EXPECT_EQ(lines.size() + 1, Lines(feed).size());
         }},
        {"?garbage=1", 200,
         [](const std::string& b) {
             EXPECT_FALSE(b.empty());
             EXPECT_NE(b.find('\0'), std::string::npos);
             EXPECT_EQ(b.find('\n'), std::string::npos);
         }},
        {"?size_mb=2", 200, [](const std::string& b) { EXPECT_EQ(b.size(), 2u * 1024 * 1024); }},
        {"?drip=1", 200, [&](const std::string& b) { EXPECT_EQ(b, feed); }},
        // Nonsense values are ignored, not obeyed or crashed on.
        {"?status=abc&delay=-3&size_mb=99999999999&empty=yes", 200, [&](const std::string& b) { EXPECT_EQ(b, feed); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.query);
        auto res = Get(path + c.query);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, c.status);
        if (c.check) c.check(res->body);
    }
}

TEST_F(ResultsServiceTest, DelayHoldsTheAnswerBack) {
    const auto start = std::chrono::steady_clock::now();
    auto res = Get(ResultsService::FeedPath(1) + "?delay=1");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(950));
}

TEST_F(ResultsServiceTest, SetFaultReachesFetchesWithPlainUrls) {
    service_.SetFault(-1, FaultPlan{.status = 500});
    FaultPlan truncated;
    truncated.truncate = true;
    service_.SetFault(1, truncated);

    auto config = Get(ResultsService::kConfigPath);
    ASSERT_TRUE(config);
    EXPECT_EQ(config->status, 500);
    std::string tail;
    Lines(Body(ResultsService::FeedPath(1)), &tail);
    EXPECT_FALSE(tail.empty());
    // A request's own parameters add to the set fault.
    auto both = Get(ResultsService::FeedPath(1) + "?status=404");
    ASSERT_TRUE(both);
    EXPECT_EQ(both->status, 404);
    EXPECT_EQ(Body(ResultsService::FeedPath(0)), service_.FeedText(0));  // the other game is untouched

    service_.ClearFaults();
    EXPECT_EQ(Body(ResultsService::FeedPath(1)), service_.FeedText(1));
    EXPECT_TRUE(GbkToUtf8(Body(ResultsService::kConfigPath)));
}

TEST_F(ResultsServiceTest, StopCutsALongDelayShort) {
    std::thread client([this] {
        httplib::Client c("127.0.0.1", port_);
        c.set_read_timeout(120, 0);
        auto res = c.Get(ResultsService::FeedPath(0) + "?delay=600");
        if (res) {
            EXPECT_NE(res->status, 200);
        }
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto start = std::chrono::steady_clock::now();
    service_.Stop();
    // Held for the full delay, this would take ten minutes.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));
    client.join();
}

}  // namespace
}  // namespace qivra

#include "core/draw_clock.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace qivra {
namespace {

using std::chrono::system_clock;

class DrawClockTest : public ::testing::Test {
protected:
    void SetUp() override {
        const char* old = std::getenv("TZ");
        savedTz_ = old ? old : "";
        hadTz_ = old != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_) setenv("TZ", savedTz_.c_str(), 1); else unsetenv("TZ");
        tzset();
    }
    // 2026-12-10 at the given local (UTC) time, plus a day offset.
    static system_clock::time_point At(int h, int m, int s, int day = 0) {
        std::tm tm{};
        tm.tm_year = 126;
        tm.tm_mon = 11;
        tm.tm_mday = 10 + day;
        tm.tm_hour = h;
        tm.tm_min = m;
        tm.tm_sec = s;
        return system_clock::from_time_t(timegm(&tm));
    }
    std::string savedTz_;
    bool hadTz_ = false;
};

TEST_F(DrawClockTest, FiveMinuteGameCountsToTwentySecondsAfterTheDraw) {
    struct Case { const char* newest; int h, m, s; int32_t countdown; const char* label; } cases[] = {
        {"13:10", 13, 12, 30, 169, "02:49"},
        {"13:10", 13, 15, 25, -6, "开奖中"},
        {"13:55", 13, 56, 0, 259, "04:19"},  // the next draw is 14:00, not yet due
        {"13:55", 14, 0, 25, -6, "开奖中"},
        {"08:55", 8, 55, 0, 319, "05:19"},
        {"13:00", 13, 1, 0, 259, "04:19"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.newest);
        int32_t cd = ComputeCountdown(kGamePc28, c.newest, At(c.h, c.m, c.s));
        EXPECT_EQ(cd, c.countdown);
        EXPECT_EQ(CountdownLabel(cd), c.label);
    }
}

TEST_F(DrawClockTest, LastDrawOfTheDayWaitsForTheFirstDrawOfTheNext) {
    // 23:56:00 to 09:00:20 tomorrow.
    int32_t cd = ComputeCountdown(kGamePc28, "23:55", At(23, 56, 0));
    EXPECT_EQ(cd, 9 * 3600 + 4 * 60 + 20);
    EXPECT_EQ(CountdownLabel(cd), std::to_string(cd));
    // Still the newest draw in the small hours: it counts to this morning, not tomorrow's.
    EXPECT_EQ(ComputeCountdown(kGamePc28, "23:55", At(8, 0, 0)), 3600 + 20);
}

TEST_F(DrawClockTest, TwoHundredTenSecondGameUsesTheNearestDay) {
    EXPECT_EQ(ComputeCountdown(kGameCanada28, "21:30:00", At(21, 31, 0)), 150);
    // Just after midnight the newest draw is yesterday's: seconds, not a day.
    EXPECT_EQ(ComputeCountdown(kGameCanada28, "23:59:30", At(0, 1, 0)), 120);
    // A results clock a few seconds ahead of ours keeps the draw today.
    EXPECT_EQ(ComputeCountdown(kGameCanada28, "10:00:05", At(10, 0, 2)), 213);
    // Nothing readable: zero, so the clock retries the feed.
    EXPECT_EQ(ComputeCountdown(kGameCanada28, "garbage", At(10, 0, 0)), 0);
    EXPECT_EQ(ComputeCountdown(kGameCanada28, "", At(10, 0, 0)), 0);
}

TEST(ClockTick, RefreshesEveryTenSecondsWhileDueAndJumpsAhead) {
    int32_t cd = 1;
    EXPECT_TRUE(ClockTick(cd).refresh);  // 0
    EXPECT_EQ(cd, 0);
    int32_t due = 11;
    EXPECT_FALSE(ClockTick(due).refresh);  // 10 is not below 10
    int32_t late = -9;
    ClockTickResult r = ClockTick(late);
    EXPECT_TRUE(r.refresh);
    EXPECT_EQ(r.label, "开奖中");
    int32_t lost = -50;
    r = ClockTick(lost);
    EXPECT_FALSE(r.refresh);
    EXPECT_EQ(lost, 199);
    EXPECT_EQ(r.label, "03:19");
    EXPECT_EQ(CountdownLabel(275), "04:35");
    EXPECT_EQ(CountdownLabel(9), "00:09");
    EXPECT_EQ(CountdownLabel(359), "05:59");
    EXPECT_EQ(CountdownLabel(30000), "30000");
}

}  // namespace
}  // namespace qivra

#include "service/draw_schedule.hpp"

#include <cstdio>
#include <ctime>

namespace qivra {

uint64_t SplitMix64(uint64_t x) {
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

namespace {

int64_t FloorDiv(int64_t a, int64_t b) {
    int64_t q = a / b;
    if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
    return q;
}

std::tm LocalTime(std::time_t t) {
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

// Days since 1970-01-01 of a local calendar date, and back.
int64_t DayNumber(int year, int month, int day) {
    using namespace std::chrono;
    const sys_days d = std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                       std::chrono::day{static_cast<unsigned>(day)};
    return d.time_since_epoch().count();
}

std::string DateText(int64_t dayNumber) {
    using namespace std::chrono;
    const year_month_day ymd{sys_days{days{dayNumber}}};
    char buf[32];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    return buf;
}

std::string ClockText(int hour, int minute, int second) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", hour, minute, second);
    return buf;
}

ScheduledDraw WithDigits(ScheduledDraw d, uint64_t seed, int game, const DrawBias& bias) {
    BiasedDrawDigits(seed, game, d.period, bias, d.a, d.b, d.c);
    return d;
}

std::vector<ScheduledDraw> Game0Draws(std::time_t visibleUpTo, uint64_t seed, int count, const DrawBias& bias) {
    const std::tm tm = LocalTime(visibleUpTo);
    int64_t day = DayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    int slot;
    if (tm.tm_hour < kGame0FirstHour) {
        --day;
        slot = kGame0DrawsPerDay - 1;
    } else {
        slot = ((tm.tm_hour - kGame0FirstHour) * 60 + tm.tm_min) / 5;
    }
    std::vector<ScheduledDraw> draws;
    draws.reserve(static_cast<size_t>(count));
    std::string date = DateText(day);
    for (int i = 0; i < count; ++i) {
        ScheduledDraw d;
        d.period = kGame0PeriodBase + day * kGame0DrawsPerDay + slot;
        d.date = date;
        const int minutes = kGame0FirstHour * 60 + slot * 5;
        d.time = ClockText(minutes / 60, minutes % 60, 0);
        draws.push_back(WithDigits(std::move(d), seed, 0, bias));
        if (--slot < 0) {
            slot = kGame0DrawsPerDay - 1;
            date = DateText(--day);
        }
    }
    return draws;
}

std::vector<ScheduledDraw> Game1Draws(std::time_t visibleUpTo, uint64_t seed, int count, const DrawBias& bias) {
    const int64_t newest = FloorDiv(static_cast<int64_t>(visibleUpTo), kGame1IntervalSeconds);
    std::vector<ScheduledDraw> draws;
    draws.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        ScheduledDraw d;
        d.period = newest - i;
        const std::tm tm = LocalTime(static_cast<std::time_t>(d.period * kGame1IntervalSeconds));
        d.date = DateText(DayNumber(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday));
        d.time = ClockText(tm.tm_hour, tm.tm_min, tm.tm_sec);
        draws.push_back(WithDigits(std::move(d), seed, 1, bias));
    }
    return draws;
}

}  // namespace

void DrawDigits(uint64_t seed, int game, int64_t period, int& a, int& b, int& c) {
    const uint64_t h = SplitMix64(SplitMix64(seed ^ (static_cast<uint64_t>(game) << 56)) ^ static_cast<uint64_t>(period));
    a = static_cast<int>(h % 10);
    b = static_cast<int>((h >> 16) % 10);
    c = static_cast<int>((h >> 32) % 10);
}

std::vector<ScheduledDraw> PublishedDraws(int game, std::chrono::system_clock::time_point now, uint64_t seed,
                                          int count, const DrawBias& bias) {
    if (count <= 0) return {};
    const std::time_t visibleUpTo =
        std::chrono::system_clock::to_time_t(std::chrono::floor<std::chrono::seconds>(now)) - kPublishDelaySeconds;
    if (game == 0) return Game0Draws(visibleUpTo, seed, count, bias);
    if (game == 1) return Game1Draws(visibleUpTo, seed, count, bias);
    return {};
}

std::string FeedLine(int game, const ScheduledDraw& d) {
    const std::string period = std::to_string(d.period);
    if (game == 0) {
        return period + "-" + d.date + " " + d.time + "-" + std::to_string(d.a) + " + " + std::to_string(d.b) + " + " +
               std::to_string(d.c) + " = " + std::to_string(d.a + d.b + d.c) + "\r\n";
    }
    return period + "-" + d.time + "-" + std::to_string(d.a) + "+" + std::to_string(d.b) + "+" + std::to_string(d.c) +
           "\r\n";
}

std::string FeedBody(int game, std::chrono::system_clock::time_point now, uint64_t seed, int count,
                     const DrawBias& bias) {
    std::string body;
    for (const ScheduledDraw& d : PublishedDraws(game, now, seed, count, bias)) body += FeedLine(game, d);
    return body;
}

}  // namespace qivra

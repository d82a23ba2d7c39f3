#include "core/draw_clock.hpp"

#include <cmath>
#include <cstdio>
#include <optional>

#include "core/clock.hpp"
#include "core/text.hpp"

namespace qivra {
namespace {

using std::chrono::system_clock;

// Reads "H:MM" / "HH:MM:SS" into seconds of the day; nullopt when it is not a time.
std::optional<int> SecondsOfDay(std::string_view text) {
    int part[3] = {0, 0, 0};
    int count = 0;
    size_t i = 0;
    while (count < 3) {
        size_t start = i;
        int v = 0;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 2) v = v * 10 + (text[i++] - '0');
        if (i == start) return std::nullopt;
        part[count++] = v;
        if (i == text.size()) break;
        if (text[i] != ':') return std::nullopt;
        ++i;
    }
    if (i != text.size() || count < 2) return std::nullopt;
    if (part[0] > 23 || part[1] > 59 || part[2] > 59) return std::nullopt;
    return part[0] * 3600 + part[1] * 60 + part[2];
}

system_clock::time_point LocalMidnight(system_clock::time_point now, int dayOffset) {
    std::tm tm = LocalTime(now);
    tm.tm_mday += dayOffset;
    tm.tm_hour = 0;
    tm.tm_min = 0;
    tm.tm_sec = 0;
    tm.tm_isdst = -1;
    return system_clock::from_time_t(std::mktime(&tm));
}

int32_t SecondsUntil(system_clock::time_point target, system_clock::time_point now) {
    return static_cast<int32_t>(std::chrono::floor<std::chrono::seconds>(target - now).count());
}

int32_t CountdownPc28(std::string_view newestTime, system_clock::time_point now) {
    std::string t(newestTime.substr(0, 5));
    if (t.size() < 5) return 0;
    int m = IntegerValue(t.substr(3, 2));
    std::string next;
    if (m + 5 == 60) {
        next = std::to_string(IntegerValue(t.substr(0, 2)) + 1) + ":00";
    } else if (m + 5 < 10) {
        next = t.substr(0, 3) + "0" + std::to_string(m + 5);
    } else {
        next = t.substr(0, 3) + std::to_string(m + 5);
    }
    if (next == "24:00") {
        // The last draw of the day: the next one is at 09:00. A fixed long wait would sleep
        // past the morning's draws, so count to the first draw (20 s after it, as usual).
        system_clock::time_point first = LocalMidnight(now, 0) + std::chrono::hours(9) + std::chrono::seconds(20);
        if (first <= now) first = LocalMidnight(now, 1) + std::chrono::hours(9) + std::chrono::seconds(20);
        return SecondsUntil(first, now);
    }
    // Seconds of the day rather than minutes alone, so a draw at the top of the hour is not
    // taken for one that is already due.
    std::tm local = LocalTime(now);
    std::optional<int> nextSecs = SecondsOfDay(next);
    if (!nextSecs) return 0;
    double r = *nextSecs - (local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec) - 1.0;
    return static_cast<int32_t>(std::fmod(r, 300.0) + 20.0);
}

int32_t CountdownCanada28(std::string_view newestTime, system_clock::time_point now) {
    std::optional<int> secs = SecondsOfDay(newestTime);
    if (!secs) return 0;  // unreadable time: retry the feed every ten seconds
    // The feed gives no date: take the day that puts the draw nearest to now, so a draw just
    // before midnight is yesterday's and a results clock slightly ahead of ours stays today.
    system_clock::time_point best{};
    bool have = false;
    for (int day = -1; day <= 1; ++day) {
        system_clock::time_point t = LocalMidnight(now, day) + std::chrono::seconds(*secs);
        if (!have || std::chrono::abs(t - now) < std::chrono::abs(best - now)) {
            best = t;
            have = true;
        }
    }
    return SecondsUntil(best + std::chrono::seconds(210), now);
}

}  // namespace

int32_t ComputeCountdown(int gameIndex, std::string_view newestTime, system_clock::time_point now) {
    if (newestTime.empty()) return 0;
    return gameIndex == kGamePc28 ? CountdownPc28(newestTime, now) : CountdownCanada28(newestTime, now);
}

std::string CountdownLabel(int32_t countdown) {
    if (countdown < 0) return "开奖中";
    if (countdown < 360) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%02d:%02d", countdown / 60, countdown % 60);
        return buf;
    }
    return std::to_string(countdown);
}

ClockTickResult ClockTick(int32_t& countdown) {
    ClockTickResult result;
    countdown -= 1;
    result.refresh = countdown < 10 && countdown % 10 == 0;
    if (countdown < -50) countdown += 250;
    result.label = CountdownLabel(countdown);
    return result;
}

}  // namespace qivra

#pragma once
// The draws the local results service publishes: when each game draws, which period numbers
// they carry, which digits come out, and the feed text a results list shows at a given moment.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "service/draw_bias.hpp"

namespace qivra {

// The service's one mixing step for digits drawn from (seed, game, period).
uint64_t SplitMix64(uint64_t x);

// A draw is published this long after its scheduled time, as a real service's would be.
inline constexpr int kPublishDelaySeconds = 8;

// Game 0 draws every five minutes from 09:00 to 23:55 local time: 180 draws a day.
inline constexpr int kGame0DrawsPerDay = 180;
inline constexpr int kGame0FirstHour = 9;
inline constexpr int kGame0IntervalSeconds = 300;
// Game 1 draws every 210 seconds around the clock; its period is epoch seconds / 210.
inline constexpr int kGame1IntervalSeconds = 210;
// Game-0 periods count draws continuously from this base across days.
inline constexpr int64_t kGame0PeriodBase = 1000000;

struct ScheduledDraw {
    int64_t period = 0;
    std::string date;  // YYYY-MM-DD, local
    std::string time;  // HH:MM:SS, local
    int a = 0;
    int b = 0;
    int c = 0;
};

// The same (seed, game, period) always gives the same digits, so a restarted service
// publishes the same history.
void DrawDigits(uint64_t seed, int game, int64_t period, int& a, int& b, int& c);

// The newest `count` draws of a game already published at `now`, newest first, with the bias's
// digits (fair unless it names the game). An unknown game gives none.
std::vector<ScheduledDraw> PublishedDraws(int game, std::chrono::system_clock::time_point now, uint64_t seed,
                                          int count, const DrawBias& bias = {});

// One feed line in the game's format, CR LF included.
std::string FeedLine(int game, const ScheduledDraw& draw);

// The feed body: every published draw's line, newest first.
std::string FeedBody(int game, std::chrono::system_clock::time_point now, uint64_t seed, int count,
                     const DrawBias& bias = {});

}  // namespace qivra

#pragma once
// Local date-time texts of the archive: "YYYY-MM-DD HH:MM:SS", which order as they read.

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace qivra {

// "2026-12-11 10:15:00", "2026/12/11 10:15", "2026-1-5 9:05:07" → "2026-12-11 10:15:00" form;
// nullopt for anything else or an impossible date or time.
std::optional<std::string> NormalizeDateTime(std::string_view text);

// "HH:MM" or "HH:MM:SS" → seconds since midnight; nullopt otherwise.
std::optional<int> SecondsOfDay(std::string_view text);

// The local date-time of a moment, in the archive's form.
std::string LocalDateTimeText(std::chrono::system_clock::time_point moment);

// "YYYY-MM-DD" of the day before a valid date.
std::string PreviousDate(std::string_view date);

// Seconds since midnight as "HH:MM:SS".
std::string ClockText(int secondsOfDay);

}  // namespace qivra

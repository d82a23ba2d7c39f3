#include "archive/date_time.hpp"

#include <cstdio>
#include <ctime>

namespace qivra {
namespace {

// Reads 1..maxDigits decimal digits at pos; nullopt when there are none.
std::optional<int> Number(std::string_view text, size_t& pos, size_t minDigits, size_t maxDigits) {
    size_t start = pos;
    int value = 0;
    while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9')
        value = value * 10 + (text[pos++] - '0');
    if (pos - start < minDigits) return std::nullopt;
    return value;
}

bool Take(std::string_view text, size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

std::optional<int> ClockAt(std::string_view text, size_t& pos) {
    auto h = Number(text, pos, 1, 2);
    if (!h || !Take(text, pos, ':')) return std::nullopt;
    auto m = Number(text, pos, 2, 2);
    if (!m) return std::nullopt;
    int s = 0;
    if (Take(text, pos, ':')) {
        auto sec = Number(text, pos, 2, 2);
        if (!sec) return std::nullopt;
        s = *sec;
    }
    if (*h > 23 || *m > 59 || s > 59) return std::nullopt;
    return *h * 3600 + *m * 60 + s;
}

std::string DateText(const std::chrono::year_month_day& ymd) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02u-%02u", static_cast<int>(ymd.year()), static_cast<unsigned>(ymd.month()),
                  static_cast<unsigned>(ymd.day()));
    return buf;
}

}  // namespace

std::optional<std::string> NormalizeDateTime(std::string_view text) {
    size_t pos = 0;
    auto y = Number(text, pos, 4, 4);
    if (!y || pos >= text.size()) return std::nullopt;
    const char sep = text[pos];
    if (sep != '-' && sep != '/') return std::nullopt;
    ++pos;
    auto mo = Number(text, pos, 1, 2);
    if (!mo || !Take(text, pos, sep)) return std::nullopt;
    auto d = Number(text, pos, 1, 2);
    if (!d || !Take(text, pos, ' ')) return std::nullopt;
    auto clock = ClockAt(text, pos);
    if (!clock || pos != text.size()) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year{*y}, std::chrono::month{static_cast<unsigned>(*mo)},
                                          std::chrono::day{static_cast<unsigned>(*d)}};
    if (!ymd.ok()) return std::nullopt;
    return DateText(ymd) + " " + ClockText(*clock);
}

std::optional<int> SecondsOfDay(std::string_view text) {
    size_t pos = 0;
    auto clock = ClockAt(text, pos);
    if (!clock || pos != text.size()) return std::nullopt;
    return clock;
}

std::string LocalDateTimeText(std::chrono::system_clock::time_point moment) {
    const std::time_t t = std::chrono::system_clock::to_time_t(moment);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                  tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

std::string PreviousDate(std::string_view date) {
    auto full = NormalizeDateTime(std::string(date) + " 00:00");
    if (!full) return std::string(date);
    const int y = std::stoi(full->substr(0, 4));
    const unsigned m = static_cast<unsigned>(std::stoi(full->substr(5, 2)));
    const unsigned d = static_cast<unsigned>(std::stoi(full->substr(8, 2)));
    const std::chrono::sys_days day{std::chrono::year{y} / std::chrono::month{m} / std::chrono::day{d}};
    return DateText(std::chrono::year_month_day{day - std::chrono::days{1}});
}

std::string ClockText(int secondsOfDay) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", secondsOfDay / 3600, secondsOfDay / 60 % 60, secondsOfDay % 60);
    return buf;
}

}  // namespace qivra

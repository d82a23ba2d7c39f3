#pragma once
// The time seam: the program asks its clock, tests move theirs.

#include <chrono>
#include <ctime>

namespace qivra {

class Clock {
public:
    virtual ~Clock() = default;
    virtual std::chrono::system_clock::time_point Now() const = 0;
};

class SystemClock final : public Clock {
public:
    std::chrono::system_clock::time_point Now() const override { return std::chrono::system_clock::now(); }
};

// Local broken-down time of a moment (the process time zone).
std::tm LocalTime(std::chrono::system_clock::time_point t);

}  // namespace qivra

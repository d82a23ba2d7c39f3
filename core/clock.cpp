#include "core/clock.hpp"

namespace qivra {

std::tm LocalTime(std::chrono::system_clock::time_point t) {
    std::time_t tt = std::chrono::system_clock::to_time_t(t);
    std::tm tm{};
    localtime_r(&tt, &tm);
    return tm;
}

}  // namespace qivra

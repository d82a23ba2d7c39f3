#pragma once
// Ways the local results service can misbehave on purpose, so that the program's handling of a
// slow, broken or hostile results service can be tested.

#include <functional>
#include <optional>
#include <string>

namespace qivra {

struct FaultPlan {
    int delaySeconds = 0;  // wait this long before answering
    int status = 0;        // answer with this HTTP status (e.g. 404, 500) and no usable body; 0 = normal
    bool empty = false;    // 200 with an empty body
    bool garbage = false;  // random bytes, zero bytes among them, never a feed line
    bool truncate = false; // the body cut in the middle of its last line, without CR LF
    int sizeMb = 0;        // a body of this many MiB of feed-like junk, streamed
    bool drip = false;     // the body dribbled a few bytes at a time, within a few seconds

    bool Any() const { return delaySeconds > 0 || status != 0 || empty || garbage || truncate || sizeMb > 0 || drip; }
};

// Limits that keep a test's request from tying the service up.
inline constexpr int kMaxFaultDelaySeconds = 600;
inline constexpr int kMaxFaultSizeMb = 1024;

// Overlays the fault named by request query parameters (delay, status, empty, garbage, truncate,
// size_mb, drip) on base. `param` returns a parameter's value, or nullopt when it is absent.
// Values that are not numbers, or out of range, leave that field as it was.
FaultPlan ApplyFaultParameters(FaultPlan base, const std::function<std::optional<std::string>(const std::string&)>& param);

}  // namespace qivra

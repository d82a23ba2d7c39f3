#include "service/fault_plan.hpp"

#include "core/text.hpp"

namespace qivra {
namespace {

std::optional<int> Number(const std::optional<std::string>& text, int low, int high) {
    if (!text || !IsIntegerText(*text)) return std::nullopt;
    const std::string t = Trim(*text);
    if (t.size() > 9) return std::nullopt;  // keeps IntegerValue away from wrapping
    const int v = IntegerValue(t);
    if (v < low || v > high) return std::nullopt;
    return v;
}

bool Flag(const std::optional<std::string>& text, bool current) {
    if (!text) return current;
    if (auto v = Number(text, 0, 1)) return *v == 1;
    return current;
}

}  // namespace

FaultPlan ApplyFaultParameters(FaultPlan f, const std::function<std::optional<std::string>(const std::string&)>& param) {
    if (auto v = Number(param("delay"), 0, kMaxFaultDelaySeconds)) f.delaySeconds = *v;
    if (auto v = Number(param("status"), 200, 599)) f.status = *v;
    if (auto v = Number(param("size_mb"), 0, kMaxFaultSizeMb)) f.sizeMb = *v;
    f.empty = Flag(param("empty"), f.empty);
    f.garbage = Flag(param("garbage"), f.garbage);
    f.truncate = Flag(param("truncate"), f.truncate);
    f.drip = Flag(param("drip"), f.drip);
    return f;
}

}  // namespace qivra

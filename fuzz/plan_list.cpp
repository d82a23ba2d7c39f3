// Plan-definition lists: a list is refused with a reason or parsed whole, and every parsed plan
// predicts a sum 0-27 from any digits.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.hpp"
#include "plans/plan_definition.hpp"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const qivra::PlanListResult list = qivra::ParsePlanList(text);
    if (!list.error.empty()) {
        QIVRA_FUZZ_CHECK(list.plans.empty());
        return 0;
    }
    qivra::FormulaPositions positions{};
    for (size_t i = 0; i < positions.size(); ++i) positions[i] = static_cast<int32_t>((i * 7 + size) % 10);
    for (const qivra::PlanDefinition& plan : list.plans) {
        for (const std::vector<int>& formula : plan.positions)
            for (int p : formula) QIVRA_FUZZ_CHECK(p >= 1 && p <= qivra::kPlanPositionCount);
        const int32_t v = qivra::PlanValue(plan, positions);
        QIVRA_FUZZ_CHECK(v >= 0 && v <= 27);
    }
    return 0;
}

#include "app/program_state.hpp"

namespace qivra {

PlanLinkTable MakePlanLinkTable() {
    PlanLinkTable t{};
    for (int i = 0; i <= 71; ++i) t[static_cast<size_t>(i)] = i + 1;
    for (int i = 73; i <= 80; ++i) t[static_cast<size_t>(i)] = i + 1;
    for (int i = 89; i <= 101; ++i) t[static_cast<size_t>(i)] = i + 1;
    t[102] = 88;
    return t;
}

}  // namespace qivra

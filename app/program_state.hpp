#pragma once
// The program-wide state: what the service published and the draws it sent. The program writes
// it; the pages read it through PageHost. The user's choices are in user_choices.hpp, and what
// belongs to one page alone (the custom list, the alarm text) stays in that page.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/draw.hpp"
#include "net/remote_config.hpp"
#include "plans/plan_definition.hpp"

namespace qivra {

// Slot s of the plan views is PlanLinkTable index s - 1; an entry is a link-box number of the
// main window (超级链接框n), 0 where the table is empty.
using PlanLinkTable = std::array<int, 666>;
PlanLinkTable MakePlanLinkTable();

struct ProgramState {
    DrawHistory history;  // replaced only as a whole, by a successful feed load
    int32_t countdown = 0;
    RemoteConfig config;
    PlanLinkTable planLinks{};
    std::vector<PlanDefinition> freePlans;
    std::vector<PlanDefinition> namedPlans;
};

}  // namespace qivra

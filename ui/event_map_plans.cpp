#include "ui/event_map.hpp"

#include "app/program.hpp"

namespace qivra {

void ConnectPlanEvents(Program&) {}

}  // namespace qivra

#include "ui/event_map.hpp"

#include "app/program.hpp"

namespace qivra {

void ConnectAlertEvents(Program&) {}

}  // namespace qivra

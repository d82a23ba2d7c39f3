#pragma once
// The one place that connects the controls' events to the program's operations.

namespace qivra {

class Program;

void ConnectEventMap(Program& program);

// Per page, each in its own file; ConnectEventMap calls them all.
void ConnectPlanEvents(Program& program);
void ConnectCustomEvents(Program& program);
void ConnectAlertEvents(Program& program);

}  // namespace qivra

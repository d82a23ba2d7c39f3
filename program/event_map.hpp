#pragma once
// The one place that connects the controls' events to the program's operations.

namespace qivra {

class Program;

// Connects the main window of program (created already) to its operations.
void ConnectEventMap(Program& program);

// Per concern, each in its own file; ConnectEventMap calls them all.
void ConnectChoiceReports(Program& program);  // every widget that shows a choice reports its edits
void ConnectPlanEvents(Program& program);
void ConnectCustomEvents(Program& program);
void ConnectAlertEvents(Program& program);
void ConnectStatsEvents(Program& program);
void ConnectBacktestEvents(Program& program);

}  // namespace qivra

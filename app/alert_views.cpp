#include "app/alert_views.hpp"

#include "app/program.hpp"

namespace qivra {

AlertViews::AlertViews(Program& program) : program_(program) {}
AlertViews::~AlertViews() = default;

void AlertViews::OpenStreakAlarm() {}
void AlertViews::CheckStreakAlarm() {}
void AlertViews::CloseStreakAlarm() {}
bool AlertViews::StreakAlarmOpen() const { return false; }
void AlertViews::AnnounceDraw(const std::string&) {}
void AlertViews::UpdateOutcomeStats() {}
void AlertViews::PlayRefreshSound() {}

}  // namespace qivra

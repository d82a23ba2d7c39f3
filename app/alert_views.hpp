#pragma once
// The streak alarm window, the draw popup, the outcome table and the sounds.

#include <QObject>
#include <QPointer>

#include <string>

namespace qivra {

class Program;

class AlertViews : public QObject {
    Q_OBJECT
public:
    explicit AlertViews(Program& program);
    ~AlertViews() override;

    void OpenStreakAlarm();
    void CheckStreakAlarm();
    void CloseStreakAlarm();
    bool StreakAlarmOpen() const;
    // Refresh step 11: opens the popup when the newest period differs from the old caption's.
    void AnnounceDraw(const std::string& previousCaption);
    void UpdateOutcomeStats();
    void PlayRefreshSound();

private:
    Program& program_;
};

}  // namespace qivra

#pragma once
// The program: its state, the main window's creation, the refresh cycle and the draw clock.
// The views of the plan, custom and alert pages hang off it and run at their refresh steps.

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "core/clock.hpp"
#include "app/program_state.hpp"
#include "net/deployment.hpp"
#include "ui/main_window.hpp"

class QUrl;

namespace qivra {

class AlertViews;
class AsyncFetcher;
class CustomPage;
class EGrid;
class HttpSession;
class PlanGridHelper;
class PlanViews;

// What the program is given by its creator: main passes the compiled-in settings, the system
// clock and real message boxes; tests pass a local service, a clock they move and answers.
struct ProgramServices {
    DeploymentSettings settings;
    std::shared_ptr<const Clock> clock;
    std::shared_ptr<HttpSession> http;
    std::string freePlansStored;   // StoredTexts of the two plan-definition lists
    std::string namedPlansStored;
    std::function<void(const QUrl&)> openUrl;  // the default browser; empty means QDesktopServices
    std::string algorithmStorePath;             // empty: QivraData.ini beside the program, or the user's data folder
    uint64_t searchSeed = 0;                    // 0: seeded from the system's entropy
};

class Program : public QObject {
    Q_OBJECT
public:
    explicit Program(ProgramServices services, QObject* parent = nullptr);
    ~Program() override;

    // Creates the main window from its layout, so the event map can be connected before
    // creation runs.
    MainWindow* CreateMainWindow();
    // Runs the main window's creation steps (creating it first if needed) and shows it. False
    // when the program must end (configuration unreachable or another version published).
    bool Start();

    MainWindow* mainWindow() const { return window_.data(); }
    ProgramState& state() { return state_; }
    const ProgramState& state() const { return state_; }
    PlanViews& plans() { return *plans_; }
    CustomPage& custom() { return *custom_; }
    AlertViews& alerts() { return *alerts_; }
    const Clock& clock() const { return *services_.clock; }
    const DeploymentSettings& settings() const { return services_.settings; }
    const ProgramServices& services() const { return services_; }

    // One refresh at a time: a request while one is in flight runs once after it.
    void Refresh();
    bool RefreshInFlight() const { return refreshing_; }
    void ClockTick();
    void StepHistoryDepth(int step);
    // The rest of the pass once the feed body of game is in hand, on the user-interface
    // thread; Refresh calls it when the fetch returns, benchmarks call it with a body they hold.
    void FinishRefresh(int game, const std::string& body);

    int GameIndex() const;
    int HistoryDepthValue() const;  // integer value of 编辑框1, read at the moment of use

    PlanGridHelper& freeGrid() { return *freeGrid_; }          // 高级表格2
    PlanGridHelper& namedComingGrid() { return *namedComing_; }  // 高级表格4, coming-period cells
    PlanGridHelper& namedGrid() { return *namedGrid_; }        // 高级表格4
    PlanGridHelper& customGrid() { return *customGrid_; }      // 高级表格5

Q_SIGNALS:
    void refreshFinished();  // the end of every refresh pass, successful or not
    void quitRequested();    // the main window was closed: the program ends

private:
    bool LoadRemoteConfig();
    void MainWindowCreated();
    void ShowHistoryRows();
    void UpdateDrawPanel();
    std::string CurrentFeedUrl(int game) const;

    ProgramServices services_;
    ProgramState state_;
    QPointer<MainWindow> window_;
    AsyncFetcher* fetcher_ = nullptr;
    std::unique_ptr<PlanGridHelper> freeGrid_, namedComing_, namedGrid_, customGrid_;
    std::unique_ptr<PlanViews> plans_;
    std::unique_ptr<CustomPage> custom_;
    std::unique_ptr<AlertViews> alerts_;
    bool refreshing_ = false;
    bool refreshPending_ = false;
    bool firstRefreshAnnounced_ = false;
};

}  // namespace qivra

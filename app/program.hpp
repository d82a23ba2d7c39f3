#pragma once
// The program: its state and the user's choices, the main window's creation, the refresh cycle
// and the draw clock. The pages' views are created with the window and see the program only
// through the PageHost interface.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/page_host.hpp"
#include "app/program_state.hpp"
#include "app/user_choices.hpp"
#include "core/clock.hpp"
#include "net/deployment.hpp"
#include "ui/connecting_window.hpp"
#include "ui/main_window.hpp"

class QUrl;

namespace qivra {

class AlertViews;
class ArchiveKeeper;
class AsyncFetcher;
class BacktestPage;
class CookieStore;
class CustomPage;
class HttpSession;
class MessageBoxes;
class PlanViews;
class SoundPlayer;
class StatsPage;
struct MainWindowView;
struct PlanGrids;

// What the program is given by its creator: main passes the compiled-in settings and leaves the
// rest to their defaults; tests pass a local service, a clock they move, answers and a silent
// player.
struct ProgramServices {
    DeploymentSettings settings;
    std::shared_ptr<const Clock> clock;         // empty: the system clock
    std::shared_ptr<HttpSession> http;          // empty: a session with the user's cookie store
    std::shared_ptr<MessageBoxes> messages;     // empty: real message boxes
    std::shared_ptr<SoundPlayer> sounds;        // empty: the audio device
    std::string freePlansStored;   // StoredTexts of the two plan-definition lists
    std::string namedPlansStored;
    std::function<void(const QUrl&)> openUrl;  // the default browser; empty means QDesktopServices
    std::string algorithmStorePath;             // empty: QivraData.ini beside the program, or the user's data folder
    uint64_t searchSeed = 0;                    // 0: seeded from the system's entropy
    std::string keptChoicesPath;                // empty: Qivra28/Qivra28.conf in the user's configuration folder
    std::string archivePath;                    // empty: the user's data folder (tests give a temporary one)
    bool nativeDialogs = true;                  // false: Qt's own file dialogs, which tests can fill in
};

class Program : public QObject, private PageHost {
    Q_OBJECT
public:
    explicit Program(ProgramServices services, QObject* parent = nullptr);
    ~Program() override;

    // Creates the main window from its layout with its pages, so the event map can be
    // connected before creation runs.
    MainWindow* CreateMainWindow();
    // Starts the main window's creation steps (creating it first if needed) and returns at
    // once: the configuration is fetched on the worker while a small window says so, then the
    // version check, the notice, the main window and the first refresh follow as it arrives.
    // startFinished tells how it ended.
    void Start();
    // The connecting window while the configuration is awaited; null otherwise.
    ConnectingWindow* Connecting() const { return connecting_.data(); }

    MainWindow* Window() const { return window_.data(); }
    const ProgramState& State() const { return state_; }
    const UserChoices& Choices() const override { return choices_; }
    // The pages exist from CreateMainWindow on.
    PlanViews& Plans() { return *plans_; }
    CustomPage& Custom() { return *custom_; }
    AlertViews& Alerts() { return *alerts_; }
    StatsPage& Stats() { return *stats_; }
    BacktestPage& Backtest() { return *backtest_; }
    ArchiveKeeper& Archive() { return *archive_; }
    MessageBoxes& Messages() override { return *services_.messages; }

    // One refresh at a time: a request while one is in flight runs once after it.
    void Refresh();
    bool RefreshInFlight() const override { return refreshing_; }
    void ClockTick();
    void StepHistoryDepth(int step);
    // The rest of the pass once the feed body of game is in hand, on the user-interface
    // thread; Refresh calls it when the fetch returns, benchmarks call it with a body they hold.
    void FinishRefresh(int game, const std::string& body);
    // Restarts the draw clock's count, as a refresh would; lets tests and benchmarks act at a
    // chosen distance from the next draw.
    void SetCountdown(int32_t seconds) { state_.countdown = seconds; }

    // A widget reports the user's edit; the event map connects every choice's widget here.
    void ReportChoice(const std::function<void(UserChoices&)>& change);
    // The program changes a choice itself: stored, then every widget shows the choices.
    void Choose(const std::function<void(UserChoices&)>& change) override;
    // The user picked a game in 选择开奖: the history and every view follow it.
    void ChooseGame(int game);

Q_SIGNALS:
    // Start-up is over: running (the main window shows) or not (configuration unreachable,
    // another version published); the program ends on false.
    void startFinished(bool running);
    void refreshFinished();  // the end of every refresh pass, successful or not
    void quitRequested();    // the main window or the connecting window was closed: the program ends

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // PageHost
    const DrawHistory& History() const override { return state_.history; }
    int HistoryDepth() const override;
    int32_t Countdown() const override { return state_.countdown; }
    SoundPlayer& Sounds() override { return *services_.sounds; }
    QWidget* DialogParent() const override;

    const MainWindowView& View() const;
    void ShowChoices();
    // Kept choices: restored once as the window is created, written when the user changes one.
    void RestoreKeptChoices();
    void KeepChoices();
    bool LoadRemoteConfig(const std::string& body);
    void ConfigurationArrived(const std::string& body);
    void MainWindowCreated();
    void ShowHistoryRows();
    std::string CurrentFeedUrl(int game) const;
    // The draw archive and the 【历史回测】 page (program_archive.cpp).
    void CreateBacktestPage();
    void MergeIntoArchive(int game);

    std::unique_ptr<CookieStore> cookies_;  // the user's, when the program made its own session
    ProgramServices services_;
    ProgramState state_;
    UserChoices choices_;
    QPointer<MainWindow> window_;
    QPointer<ConnectingWindow> connecting_;
    std::unique_ptr<AsyncFetcher> fetcher_;  // the worker; joined first when the program ends
    std::unique_ptr<PlanGrids> grids_;
    std::unique_ptr<PlanViews> plans_;
    std::unique_ptr<CustomPage> custom_;
    std::unique_ptr<AlertViews> alerts_;
    std::unique_ptr<StatsPage> stats_;
    std::unique_ptr<ArchiveKeeper> archive_;
    std::unique_ptr<BacktestPage> backtest_;
    bool refreshing_ = false;
    bool refreshPending_ = false;
    bool firstRefreshAnnounced_ = false;
    QString keptPath_;
    UserChoices kept_;  // what the kept file holds (or would, once written)
    std::optional<QPoint> keptPosition_;
    bool keeping_ = false;  // from the restore on
    bool windowMoved_ = false;  // moved while on screen: its position is the user's
    bool gameByRule_ = false;   // the early-morning game is the program's pick: the kept one stays
};

}  // namespace qivra

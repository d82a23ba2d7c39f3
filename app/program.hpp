#pragma once
// The program: its state and the user's choices, the main window's creation, the refresh cycle
// and the draw clock. The pages' views are created with the window and see the program only
// through the PageHost interface.

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/page_host.hpp"
#include "app/program_state.hpp"
#include "app/user_choices.hpp"
#include "core/clock.hpp"
#include "net/deployment.hpp"
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
    // Runs the main window's creation steps (creating it first if needed) and shows it. False
    // when the program must end (configuration unreachable or another version published).
    bool Start();

    MainWindow* Window() const { return window_.data(); }
    const ProgramState& State() const { return state_; }
    const UserChoices& Choices() const override { return choices_; }
    // The pages exist from CreateMainWindow on.
    PlanViews& Plans() { return *plans_; }
    CustomPage& Custom() { return *custom_; }
    AlertViews& Alerts() { return *alerts_; }
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
    void ReportChoice(const std::function<void(UserChoices&)>& change) { change(choices_); }
    // The program changes a choice itself: stored, then every widget shows the choices.
    void Choose(const std::function<void(UserChoices&)>& change) override;
    // The user picked a game in 选择开奖: the history and every view follow it.
    void ChooseGame(int game);

Q_SIGNALS:
    void refreshFinished();  // the end of every refresh pass, successful or not
    void quitRequested();    // the main window was closed: the program ends

private:
    // PageHost
    const DrawHistory& History() const override { return state_.history; }
    int HistoryDepth() const override;
    int32_t Countdown() const override { return state_.countdown; }
    SoundPlayer& Sounds() override { return *services_.sounds; }
    QWidget* DialogParent() const override;

    const MainWindowView& View() const;
    void ShowChoices();
    bool LoadRemoteConfig();
    void MainWindowCreated();
    void ShowHistoryRows();
    void UpdateDrawPanel();
    std::string CurrentFeedUrl(int game) const;
    // The draw archive and the 【历史回测】 page (program_archive.cpp).
    void CreateBacktestPage();
    void MergeIntoArchive(int game);

    ProgramServices services_;
    std::unique_ptr<CookieStore> cookies_;  // the user's, when the program made its own session
    ProgramState state_;
    UserChoices choices_;
    QPointer<MainWindow> window_;
    AsyncFetcher* fetcher_ = nullptr;
    std::unique_ptr<PlanGrids> grids_;
    std::unique_ptr<PlanViews> plans_;
    std::unique_ptr<CustomPage> custom_;
    std::unique_ptr<AlertViews> alerts_;
    std::unique_ptr<ArchiveKeeper> archive_;
    std::unique_ptr<BacktestPage> backtest_;
    bool refreshing_ = false;
    bool refreshPending_ = false;
    bool firstRefreshAnnounced_ = false;
};

}  // namespace qivra

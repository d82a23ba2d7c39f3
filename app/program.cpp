#include "app/program.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTimer>
#include <QUrl>

#include <cstdio>

#include "alerts/sounds.hpp"
#include "app/alert_views.hpp"
#include "app/archive_keeper.hpp"
#include "app/async_fetch.hpp"
#include "app/backtest_page.hpp"
#include "app/custom_page.hpp"
#include "app/history_grid.hpp"
#include "app/kept_choices.hpp"
#include "app/plan_views.hpp"
#include "app/stats_page.hpp"
#include "core/draw_clock.hpp"
#include "core/text.hpp"
#include "net/cookie_store.hpp"
#include "net/http_session.hpp"
#include "net/remote_config.hpp"
#include "net/results_feed.hpp"
#include "net/stored_text.hpp"
#include "plans/plan_definition.hpp"
#include "ui/connecting_window.hpp"
#include "ui/controls.hpp"
#include "ui/egrid.hpp"
#include "ui/grid_layouts.hpp"
#include "ui/integer_edit.hpp"
#include "ui/main_window.hpp"
#include "ui/message_boxes.hpp"
#include "ui/plan_grid_helper.hpp"
#include "ui/qt_support.hpp"

namespace qivra {
namespace {

const char kProductCaption[] = "Qivra28综合预测软件多功能版";

// Writes a value into a widget without the widget reporting it back as an edit.
void ShowText(QLineEdit* edit, const std::string& text) {
    const QString shown = ToQString(text);
    if (edit->text() == shown) return;
    const QSignalBlocker quiet(edit);
    edit->setText(shown);
}

void ShowTicked(QAbstractButton* box, bool ticked) {
    if (box->isChecked() == ticked) return;
    const QSignalBlocker quiet(box);
    box->setChecked(ticked);
}

void ShowIndex(QComboBox* combo, int index) {
    if (combo->currentIndex() == index) return;
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(index);
}

void ShowItem(QComboBox* combo, const std::string& text) {
    const QSignalBlocker quiet(combo);
    combo->setCurrentIndex(combo->findText(ToQString(text)));
}

}  // namespace

Program::Program(ProgramServices services, QObject* parent) : QObject(parent), services_(std::move(services)) {
    if (!services_.clock) services_.clock = std::make_shared<SystemClock>();
    if (!services_.http) {
        // Cookies last between runs in the user's data folder, as a browser's would.
        cookies_ = std::make_unique<CookieStore>();
        services_.http = std::make_shared<HttpSession>(cookies_.get());
    }
    if (!services_.messages) services_.messages = std::make_shared<MessageBoxes>();
    if (!services_.sounds) services_.sounds = MakeSdlSoundPlayer();
    if (!services_.openUrl) services_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    fetcher_ = std::make_unique<AsyncFetcher>(services_.http);
}

Program::~Program() {
    // The worker may be inside a fetch that uses the session and the cookie store: cancelled
    // and joined before anything else goes.
    fetcher_.reset();
    delete connecting_.data();
    // Its worker is cancelled and joined before the archive and the window go.
    backtest_.reset();
    // The views reach into the window; let them go first.
    stats_.reset();
    alerts_.reset();
    custom_.reset();
    plans_.reset();
    delete window_.data();
}

MainWindow* Program::CreateMainWindow() {
    if (window_) return window_.data();
    window_ = new MainWindow();
    connect(window_.data(), &MainWindow::beingDestroyed, this, &Program::quitRequested);
    PageHost& host = *this;
    grids_ = std::make_unique<PlanGrids>();
    plans_ = std::make_unique<PlanViews>(window_->View(), host, state_.planLinks, *grids_);
    CustomPageServices customServices{services_.algorithmStorePath, services_.searchSeed, {}};
    customServices.checkOutOfSample = [this](const DrawHistory& history, const FormulaSet& formulas,
                                             PredictionKind kind, int window, int depth) {
        return CheckOutOfSampleWithArchive(archive_.get(), choices_.game, history, formulas, kind, window, depth);
    };
    custom_ = std::make_unique<CustomPage>(window_->View(), window_->AlgorithmMenu(), host, *grids_, customServices);
    alerts_ = std::make_unique<AlertViews>(window_->View(), window_->Balloon(), host);
    stats_ = std::make_unique<StatsPage>(window_->View(), host, state_.planLinks);
    plans_->onMarked = [this] { stats_->ShowMarkHint(); };
    CreateBacktestPage();
    RestoreKeptChoices();
    // Where the user left the window is kept as the program ends.
    connect(window_.data(), &MainWindow::beingDestroyed, this, [this] {
        KeepChoices();
        // The rest of its destruction runs as a plain QWidget: the move filter must not see it.
        window_->removeEventFilter(this);
    });
    return window_.data();
}

const MainWindowView& Program::View() const { return window_->View(); }

QWidget* Program::DialogParent() const { return window_.data(); }

void Program::Start() {
    CreateMainWindow();
    if (connecting_) return;
    connecting_ = new ConnectingWindow();
    connect(connecting_.data(), &ConnectingWindow::closedByUser, this, [this] {
        // The configuration that may still arrive is for nobody.
        connecting_->deleteLater();
        connecting_ = nullptr;
        Q_EMIT quitRequested();
    });
    connecting_->show();
    const DeploymentSettings& s = services_.settings;
    fetcher_->Fetch(DecodeStoredText(s.configUrlStored, s), [this](std::string body) { ConfigurationArrived(body); });
}

void Program::ConfigurationArrived(const std::string& body) {
    if (!connecting_) return;  // closed while waiting
    delete connecting_.data();
    if (!LoadRemoteConfig(body)) {
        Q_EMIT startFinished(false);
        return;
    }
    MainWindowCreated();
    window_->show();
    Q_EMIT startFinished(true);
}

int Program::HistoryDepth() const { return IntegerValue(choices_.historyDepth); }

void Program::Choose(const std::function<void(UserChoices&)>& change) {
    change(choices_);
    ShowChoices();
    KeepChoices();
}

void Program::ReportChoice(const std::function<void(UserChoices&)>& change) {
    change(choices_);
    KeepChoices();
}

void Program::ShowChoices() {
    if (!window_) return;
    const MainWindowView& v = View();
    const UserChoices& c = choices_;
    ShowIndex(v.game, c.game);
    ShowText(v.historyDepth, c.historyDepth);
    ShowTicked(v.announceDraws, c.announceDraws);
    ShowTicked(v.promptSounds, c.promptSounds);
    ShowIndex(v.markMetric, c.markMetric);
    ShowIndex(v.markComparison, c.markComparison);
    ShowText(v.markThreshold, c.markThreshold);
    {
        const QSignalBlocker quiet(v.markColour);
        v.markColour->SetColour(ToQColor(c.markColour));
    }
    ShowTicked(v.autoMark, c.autoMark);
    ShowItem(v.markWindow, c.markWindow);
    ShowText(v.streakThreshold, c.streakThreshold);
    ShowTicked(v.streakSound, c.streakSound);
    ShowTicked(v.streakBalloon, c.streakBalloon);
    ShowTicked(v.streakByFamily, c.streakByFamily);
    for (size_t i = 0; i < c.streakFamilies.size(); ++i) ShowTicked(v.streakFamilies[i], c.streakFamilies[i]);
    ShowTicked(v.streakPairs, c.streakPairs);
    ShowItem(v.statsWindow, c.statsWindow);
    ShowIndex(v.generatorMode, c.generatorMode);
    ShowIndex(v.searchCriterion, c.searchCriterion);
    ShowText(v.searchThreshold, c.searchThreshold);
    for (size_t i = 0; i < c.formulas.size(); ++i) ShowText(v.formulas[i], c.formulas[i]);
    ShowText(v.algorithmName, c.algorithmName);
    ShowIndex(v.significanceKind, c.significanceKind);
    ShowItem(v.significanceWindow, c.significanceWindow);
}

void Program::ChooseGame(int game) {
    choices_.game = game;
    gameByRule_ = false;
    KeepChoices();
    Refresh();
}

bool Program::LoadRemoteConfig(const std::string& body) {
    const DeploymentSettings& s = services_.settings;
    if (body.empty()) {
        Messages().Show(nullptr, ToQString("Qivra提示："), ToQString("连接服务器失败，关闭杀毒后重试或者检查网络是否连接"),
                        MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
        return false;
    }
    RemoteConfig config = ParseRemoteConfig(body);
    if (!IsCurrentVersion(config)) {
        const std::string text = "软件已更新，请下载最新版使用\r\n\r\n最新版本：" + config.version + "\r\n\r\n" +
                                 s.contactLines + "\r\n\r\n是否打开网站？";
        auto answer = Messages().Show(nullptr, ToQString("信息："), ToQString(text), MessageBoxes::Icon::Information,
                                      MessageBoxes::Buttons::YesNo);
        if (answer == MessageBoxes::Answer::Yes) services_.openUrl(QUrl(ToQString(s.downloadPage)));
        return false;
    }
    const MainWindowView& v = View();
    v.status->SetPartText(2, ToQString("当前状态：连接服务器成功，当前版本:" + config.version));
    v.notice->setText(ToShownText(config.notice));
    v.updateNotes->setPlainText(ToShownText(config.updateNotes));
    state_.config = std::move(config);
    return true;
}

void Program::MainWindowCreated() {
    const MainWindowView& v = View();
    // Every grid gets its final row count before it is styled: styles apply to existing rows.
    for (EGrid* grid : {v.summaryGrid, v.freeGrid, v.trendGrid, v.namedGrid, v.customGrid})
        grid->SetRowCount(kDefaultHistoryDepth + 1);
    SetUpHistoryGrid(*v.summaryGrid);
    state_.planLinks = MakePlanLinkTable();
    grids_->free.Bind(v.freeGrid);
    auto loadPlans = [this](const std::string& stored, std::vector<PlanDefinition>& out) {
        PlanListResult list = ParsePlanList(DecodeStoredText(stored, services_.settings));
        if (!list.error.empty()) std::fprintf(stderr, "qivra28: plan definitions refused: %s\n", list.error.c_str());
        out = std::move(list.plans);
    };
    loadPlans(services_.freePlansStored, state_.freePlans);
    loadPlans(services_.namedPlansStored, state_.namedPlans);
    plans_->SetPlanLists(state_.freePlans, state_.namedPlans);
    stats_->SetSources(state_.freePlans, state_.namedPlans, custom_->Algorithms());
    ApplyPlanGridLayout(grids_->free);
    grids_->namedComing.Bind(v.namedGrid);
    grids_->named.Bind(v.namedGrid);
    ApplyPlanGridLayout(grids_->namedComing);
    SetUpHistoryGridRows(*v.summaryGrid);
    SetUpTrendGrid(*v.trendGrid);
    grids_->custom.Bind(v.customGrid);
    ApplyPlanGridLayout(grids_->custom);
    // The program's own choice, shown but not kept: the user's stays in the file.
    if (LocalTime(services_.clock->Now()).tm_hour < 9) {
        choices_.game = kGameCanada28;
        gameByRule_ = true;
        ShowChoices();
    }
    Refresh();
}

std::string Program::CurrentFeedUrl(int game) const { return FeedUrl(state_.config, game, services_.settings); }

void Program::Refresh() {
    if (!window_) return;
    if (refreshing_) {
        refreshPending_ = true;
        return;
    }
    refreshing_ = true;  // before the message box below, whose loop may deliver a tick
    const MainWindowView& v = View();
    if (choices_.historyDepth != "100") {
        Messages().Show(window_.data(), ToQString("信息："), ToQString("当前版本不支持使用更多期数，等待更新！！"),
                        MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
        Choose([](UserChoices& c) { c.historyDepth = "100"; });
    }
    window_->Clock()->stop();
    const int rows = HistoryDepth() + 1;
    for (EGrid* grid : {v.summaryGrid, v.freeGrid, v.trendGrid, v.namedGrid}) grid->SetRowCount(rows);
    const int game = choices_.game;
    fetcher_->Fetch(CurrentFeedUrl(game), [this, game](std::string body) { FinishRefresh(game, body); });
}

void Program::ShowHistoryRows() {
    const MainWindowView& v = View();
    const HistoryGrids grids{v.summaryGrid, v.freeGrid, v.trendGrid, v.namedGrid, v.customGrid};
    const int depth = HistoryDepth();
    for (int r = 1; r <= state_.history.size(); ++r) ShowHistoryRow(grids, state_.history, r, depth);
    // A history too short for any forecast leaves the plan views as they are: clear their
    // verdicts and the coming period of the history before.
    const int past = state_.history.size() + 1;
    ClearHistoryRows(grids, past, state_.history.size() < kMinimumPlanHistory ? 0 : past);
}

void Program::FinishRefresh(int game, const std::string& body) {
    if (!window_) return;
    // Also when called with a body in hand: the views must know the grids are being rewritten.
    refreshing_ = true;
    const MainWindowView& v = View();
    // A feed with too few lines keeps the previous history and everything it shows.
    if (std::optional<DrawHistory> loaded = ParseFeed(body, game)) {
        state_.history = std::move(*loaded);
        ShowHistoryRows();
        MergeIntoArchive(game);
    }
    plans_->ShowFreePlan();
    const bool haveDraw = !state_.history.empty();
    state_.countdown = haveDraw ? ComputeCountdown(game, state_.history.newest().time, services_.clock->Now()) : 0;
    plans_->ShowNamedPlan();
    if (alerts_->StreakAlarmOpen()) alerts_->CheckStreakAlarm();
    if (custom_->Enabled()) custom_->RefreshCustomPage();
    stats_->Refresh();
    if (haveDraw) {
        const DrawRecord& newest = state_.history.newest();
        const std::string previousCaption = ToUtf8(v.caption->text());
        v.caption->setText(ToQString((game == 0 ? "幸运28 第" : "加拿大28 第") + newest.period + "期"));
        v.digits[0]->setText(QString::number(newest.digit1));
        v.digits[1]->setText(QString::number(newest.digit2));
        v.digits[2]->setText(QString::number(newest.digit3));
        v.sum->setText(QString::number(newest.sum));
        if (choices_.announceDraws) alerts_->AnnounceDraw(previousCaption);
        alerts_->UpdateOutcomeStats();
    }
    window_->Clock()->start(1000);
    if (haveDraw) {
        const DrawRecord& newest = state_.history.newest();
        window_->setWindowTitle(
            ToQString("[" + newest.time + " " + newest.content + " " + newest.period + "]" + kProductCaption));
        if (choices_.promptSounds) PlayRefreshSound(Sounds());
        if (!firstRefreshAnnounced_) {
            firstRefreshAnnounced_ = true;
            // The run script waits for this line before it takes its screenshot.
            std::printf("qivra28: first refresh shown (%d draws, newest period %s)\n", state_.history.size(),
                        newest.period.c_str());
            std::fflush(stdout);
        }
    }
    refreshing_ = false;
    Q_EMIT refreshFinished();
    if (refreshPending_) {
        refreshPending_ = false;
        Refresh();
    }
}

void Program::ClockTick() {
    if (!window_) return;
    ClockTickResult tick = qivra::ClockTick(state_.countdown);
    if (tick.refresh) Refresh();
    View().countdown->setText(ToQString(tick.label));
}

void Program::StepHistoryDepth(int step) {
    const std::string stepped = std::to_string(static_cast<int64_t>(IntegerValue(choices_.historyDepth)) + step);
    Choose([&](UserChoices& c) { c.historyDepth = stepped; });
}

}  // namespace qivra

#include "app/program.hpp"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>
#include <QUrl>

#include <cstdio>

#include "app/alert_views.hpp"
#include "app/async_fetch.hpp"
#include "app/custom_page.hpp"
#include "core/draw_clock.hpp"
#include "app/history_grid.hpp"
#include "app/plan_views.hpp"
#include "core/text.hpp"
#include "net/http_session.hpp"
#include "net/remote_config.hpp"
#include "net/results_feed.hpp"
#include "net/stored_text.hpp"
#include "plans/plan_definition.hpp"
#include "ui/controls.hpp"
#include "ui/egrid.hpp"
#include "ui/grid_layouts.hpp"
#include "ui/main_window.hpp"
#include "ui/message_boxes.hpp"
#include "ui/plan_grid_helper.hpp"
#include "ui/qt_support.hpp"

namespace qivra {
namespace {

const char kProductCaption[] = "Qivra28综合预测软件多功能版";

QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

}  // namespace

template <class T>
static T* Control(MainWindow* w, const char* name) {
    return w ? w->control<T>(QString::fromUtf8(name)) : nullptr;
}

Program::Program(ProgramServices services, QObject* parent) : QObject(parent), services_(std::move(services)) {
    if (!services_.clock) services_.clock = std::make_shared<SystemClock>();
    if (!services_.http) services_.http = std::make_shared<HttpSession>();
    if (!services_.openUrl) services_.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    fetcher_ = new AsyncFetcher(services_.http, this);
    freeGrid_ = std::make_unique<PlanGridHelper>();
    namedComing_ = std::make_unique<PlanGridHelper>();
    namedGrid_ = std::make_unique<PlanGridHelper>();
    customGrid_ = std::make_unique<PlanGridHelper>();
    plans_ = std::make_unique<PlanViews>(*this);
    custom_ = std::make_unique<CustomPage>(*this);
    alerts_ = std::make_unique<AlertViews>(*this);
}

Program::~Program() {
    // The views reach into the window; let them go first.
    alerts_.reset();
    custom_.reset();
    plans_.reset();
    delete window_.data();
}

MainWindow* Program::CreateMainWindow() {
    if (!window_) {
        window_ = new MainWindow();
        connect(window_.data(), &MainWindow::beingDestroyed, this, &Program::quitRequested);
    }
    return window_.data();
}

bool Program::Start() {
    CreateMainWindow();
    if (!LoadRemoteConfig()) return false;
    MainWindowCreated();
    window_->show();
    return true;
}

int Program::GameIndex() const {
    auto* games = Control<QComboBox>(window_.data(), "组合框1");
    return games ? games->currentIndex() : 0;
}

int Program::HistoryDepthValue() const {
    auto* depth = Control<QLineEdit>(window_.data(), "编辑框1");
    return depth ? IntegerValue(depth->text().toStdString()) : kDefaultHistoryDepth;
}

bool Program::LoadRemoteConfig() {
    const DeploymentSettings& s = services_.settings;
    const std::string body = services_.http->FetchText(DecodeStoredText(s.configUrlStored, s));
    if (body.empty()) {
        MessageBoxes::Show(nullptr, Q("Qivra提示："), Q("连接服务器失败，关闭杀毒后重试或者检查网络是否连接"),
                            MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
        return false;
    }
    RemoteConfig config = ParseRemoteConfig(body);
    if (!IsCurrentVersion(config)) {
        const std::string text = "软件已更新，请下载最新版使用\r\n\r\n最新版本：" + config.version + "\r\n\r\n" +
                                 s.contactLines + "\r\n\r\n是否打开网站？";
        auto answer = MessageBoxes::Show(nullptr, Q("信息："), ToQString(text), MessageBoxes::Icon::Information,
                                          MessageBoxes::Buttons::YesNo);
        if (answer == MessageBoxes::Answer::Yes) services_.openUrl(QUrl(ToQString(s.downloadPage)));
        return false;
    }
    Control<StatusStrip>(window_.data(), "状态条1")->SetPartText(2, ToQString("当前状态：连接服务器成功，当前版本:" + config.version));
    Control<QLabel>(window_.data(), "标签8")->setText(ToQString(config.notice));
    if (auto* notes = Control<QPlainTextEdit>(window_.data(), "编辑框2")) notes->setPlainText(ToQString(config.updateNotes));
    state_.config = std::move(config);
    return true;
}

void Program::MainWindowCreated() {
    MainWindow* w = window_.data();
    auto* summary = Control<EGrid>(w, "高级表格1");
    auto* trend = Control<EGrid>(w, "高级表格3");
    // Every grid gets its final row count before it is styled: styles apply to existing rows.
    for (const char* name : {"高级表格1", "高级表格2", "高级表格3", "高级表格4", "高级表格5"})
        Control<EGrid>(w, name)->SetRowCount(kDefaultHistoryDepth + 1);
    SetUpHistoryGrid(*summary);
    state_.planLinks = MakePlanLinkTable();
    state_.freePlanNumber = state_.freePlanKind = state_.namedPlanKind = state_.namedPlanNumber = 1;
    freeGrid_->Bind(Control<EGrid>(w, "高级表格2"));
    auto loadPlans = [this](const std::string& stored, std::vector<PlanDefinition>& out) {
        PlanListResult list = ParsePlanList(DecodeStoredText(stored, services_.settings));
        if (!list.error.empty()) std::fprintf(stderr, "qivra28: plan definitions refused: %s\n", list.error.c_str());
        out = std::move(list.plans);
    };
    loadPlans(services_.freePlansStored, state_.freePlans);
    loadPlans(services_.namedPlansStored, state_.namedPlans);
    ApplyPlanGridLayout(*freeGrid_);
    namedComing_->Bind(Control<EGrid>(w, "高级表格4"));
    namedGrid_->Bind(Control<EGrid>(w, "高级表格4"));
    ApplyPlanGridLayout(*namedComing_);
    SetUpHistoryGridRows(*summary);
    SetUpTrendGrid(*trend);
    customGrid_->Bind(Control<EGrid>(w, "高级表格5"));
    ApplyPlanGridLayout(*customGrid_);
    if (LocalTime(clock().Now()).tm_hour < 9) Control<QComboBox>(w, "组合框1")->setCurrentIndex(1);
    Refresh();
}

std::string Program::CurrentFeedUrl(int game) const {
    return FeedUrl(state_.config, game, services_.settings);
}

void Program::Refresh() {
    if (!window_) return;
    if (refreshing_) {
        refreshPending_ = true;
        return;
    }
    refreshing_ = true;  // before the message box below, whose loop may deliver a tick
    MainWindow* w = window_.data();
    auto* depth = Control<QLineEdit>(w, "编辑框1");
    if (depth->text() != Q("100")) {
        MessageBoxes::Show(w, Q("信息："), Q("当前版本不支持使用更多期数，等待更新！！"), MessageBoxes::Icon::Information,
                            MessageBoxes::Buttons::Ok);
        depth->setText(Q("100"));
    }
    w->Clock()->stop();
    const int rows = HistoryDepthValue() + 1;
    for (const char* name : {"高级表格1", "高级表格2", "高级表格3", "高级表格4"}) Control<EGrid>(w, name)->SetRowCount(rows);
    const int game = GameIndex();
    fetcher_->Fetch(CurrentFeedUrl(game), [this, game](std::string body) { FinishRefresh(game, body); });
}

void Program::ShowHistoryRows() {
    MainWindow* w = window_.data();
    HistoryGrids grids{Control<EGrid>(w, "高级表格1"), Control<EGrid>(w, "高级表格2"), Control<EGrid>(w, "高级表格3"),
                       Control<EGrid>(w, "高级表格4"), Control<EGrid>(w, "高级表格5")};
    const int depth = HistoryDepthValue();
    for (int r = 1; r <= state_.history.size(); ++r) ShowHistoryRow(grids, state_.history, r, depth);
}

void Program::FinishRefresh(int game, const std::string& body) {
    MainWindow* w = window_.data();
    if (!w) return;
    // A feed with too few lines keeps the previous history and everything it shows.
    if (std::optional<DrawHistory> loaded = ParseFeed(body, game)) {
        state_.history = std::move(*loaded);
        ShowHistoryRows();
    }
    plans_->ShowFreePlan();
    const bool haveDraw = !state_.history.empty();
    state_.countdown = haveDraw ? ComputeCountdown(game, state_.history.newest().time, clock().Now()) : 0;
    plans_->ShowNamedPlan();
    if (Control<QCheckBox>(w, "选择框3")->isChecked()) alerts_->CheckStreakAlarm();
    if (state_.customEnabled) custom_->RefreshCustomPage();
    if (haveDraw) {
        const DrawRecord& newest = state_.history.newest();
        auto* caption = Control<QLabel>(w, "标签1");
        const std::string previousCaption = caption->text().toStdString();
        caption->setText(ToQString((game == 0 ? "幸运28 第" : "加拿大28 第") + newest.period + "期"));
        Control<QLabel>(w, "标签2")->setText(QString::number(newest.digit1));
        Control<QLabel>(w, "标签3")->setText(QString::number(newest.digit2));
        Control<QLabel>(w, "标签4")->setText(QString::number(newest.digit3));
        Control<QLabel>(w, "标签5")->setText(QString::number(newest.sum));
        if (Control<QCheckBox>(w, "选择框1")->isChecked()) alerts_->AnnounceDraw(previousCaption);
        alerts_->UpdateOutcomeStats();
    }
    w->Clock()->start(1000);
    if (haveDraw) {
        const DrawRecord& newest = state_.history.newest();
        w->setWindowTitle(ToQString("[" + newest.time + " " + newest.content + " " + newest.period + "]" + kProductCaption));
        if (Control<QCheckBox>(w, "选择框4")->isChecked()) alerts_->PlayRefreshSound();
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
    Control<QLabel>(window_.data(), "标签7")->setText(ToQString(tick.label));
}

void Program::StepHistoryDepth(int step) {
    auto* depth = Control<QLineEdit>(window_.data(), "编辑框1");
    depth->setText(QString::number(static_cast<int64_t>(IntegerValue(depth->text().toStdString())) + step));
}

}  // namespace qivra

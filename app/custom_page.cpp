#include "app/custom_page.hpp"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTimer>

#include <algorithm>
#include <mutex>
#include <optional>
#include <utility>

#include "app/page_host.hpp"
#include "app/plan_views.hpp"
#include "app/significance_text.hpp"
#include "core/text.hpp"
#include "custom/custom_forecast.hpp"
#include "custom/formula.hpp"
#include "plans/prediction.hpp"
#include "stats/judged_runs.hpp"
#include "ui/controls.hpp"
#include "ui/hyper_linker.hpp"
#include "ui/window_views.hpp"
#include "ui/message_boxes.hpp"
#include "ui/plan_grid_helper.hpp"
#include "ui/qt_support.hpp"

namespace qivra {
namespace {

constexpr int kFirstKindLink = 74;
constexpr int kLastKindLink = 81;
constexpr int kSearchStatusPart = 3;
constexpr int kSearchRefusedBelow = 20;  // seconds before a draw
constexpr int kSearchWatchMs = 200;      // progress and draw-due check while a search runs

const char kStartCaption[] = "开始搜索";
const char kStopCaption[] = "停止搜索";
const char kDrawDueText[] = "开奖中";
const char kInfoTitle[] = "信息：";

enum Column { kName = 0, kAccuracy = 1, kHitRun = 2, kMissRun = 3, kText = 4 };

uint64_t InitialSeed(uint64_t configured) {
    if (configured != 0) return configured;
    std::random_device device;
    return (static_cast<uint64_t>(device()) << 32) ^ device();
}

FormulaSet Compile(const std::array<std::string, 3>& texts) {
    FormulaSet formulas;
    for (size_t i = 0; i < texts.size(); ++i) formulas[i] = Formula::Compile(texts[i]);
    return formulas;
}

}  // namespace

// Shared between the UI thread and the search worker: the worker only stores, the page's
// watch timer reads.
struct CustomPage::ProgressBox {
    std::mutex mutex;
    SearchProgress latest;
    bool any = false;
};

CustomPage::CustomPage(const MainWindowView& view, QMenu* algorithmMenu, PageHost& host, PlanGrids& grids,
                       CustomPageServices services)
    : view_(view),
      algorithmMenu_(algorithmMenu),
      host_(host),
      grids_(grids),
      services_(std::move(services)),
      seeds_(InitialSeed(services_.searchSeed)) {
    generator_ = std::make_unique<FormulaGenerator>(seeds_());
    searchWatch_ = new QTimer(this);
    searchWatch_->setInterval(kSearchWatchMs);
    connect(searchWatch_, &QTimer::timeout, this, [this] {
        ShowSearchProgress();
        WatchDrawDue();
    });
}

CustomPage::~CustomPage() {
    // Stops and joins the worker; results it already posted find this page gone and drop.
    search_.reset();
}

std::string CustomPage::StorePath() const {
    if (!services_.storePath.empty()) return services_.storePath;
    return DefaultStorePath(ToUtf8(QCoreApplication::applicationDirPath()));
}

void CustomPage::SetBoxFormulas(const std::array<std::string, 3>& formulas) {
    host_.Choose([&](UserChoices& c) { c.formulas = formulas; });
}

void CustomPage::ShowRows() {
    ReportListView* list = view_.algorithms;
    // Rebuilding the rows is not the user choosing one.
    const QSignalBlocker quiet(list);
    list->DeleteAllRows();
    for (const CustomAlgorithm& row : rows_) {
        const int r = list->InsertRow(list->RowCount());
        list->SetCellText(r, kName, ToQString(row.name));
        list->SetCellText(r, kText, ToQString(row.algorithmText));
    }
}

bool CustomPage::WriteStore(const std::vector<CustomAlgorithm>& rows, bool replaceDamaged) {
    const SaveResult saved = SaveStoreFile(StorePath(), rows, replaceDamaged);
    if (saved.ok()) {
        storeDamaged_ = false;
        return true;
    }
    host_.Messages().Show(host_.DialogParent(), ToQString(kInfoTitle),
                       ToQString("算法保存失败：" + saved.error + "\r\n\r\n算法文件保持原样，列表未改动。"),
                       MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
    return false;
}

void CustomPage::EnableCustomAlgorithms() {
    if (enabled_) return;
    StoreLoadResult loaded = LoadStoreFile(StorePath());
    if (!loaded.ok()) {
        storeDamaged_ = true;
        host_.Messages().Show(host_.DialogParent(), ToQString(kInfoTitle),
                           ToQString("算法文件已损坏或无法读取（" + loaded.error +
                                     "）。\r\n\r\n该文件保持原样，不会被改动；算法列表从空开始。\r\n"
                                     "保存新算法时将用新列表覆盖该文件。"),
                           MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
    }
    rows_ = std::move(loaded.rows);
    ShowRows();
    enabled_ = true;
    // The page starts on the kind chosen last, kept between runs.
    const int kind = std::clamp(host_.Choices().startCustomKind, 1, kLastKindLink - kFirstKindLink + 1);
    for (int n = kFirstKindLink; n <= kLastKindLink; ++n)
        view_.Link(n)->SetBackground(ToQColor(n == kFirstKindLink + kind - 1 ? colours::kLightBlue : colours::kLightGrey));
    host_.Choose([kind](UserChoices& c) { c.customKind = kind; });
    view_.enableCustom->setEnabled(false);
    view_.enableCustom->setText(ToQString("开启成功"));
    RefreshAlgorithmStats();
    RefreshCustomForecasts();
}

void CustomPage::RefreshCustomPage() {
    if (!enabled_) return;
    RefreshCustomForecasts();
    RefreshAlgorithmStats();
}

void CustomPage::RefreshCustomForecasts() {
    const DrawHistory& history = host_.History();
    if (!enabled_ || history.size() < kMinimumCustomHistory || !grids_.custom.IsBound()) return;
    const std::optional<PredictionKind> kind = CustomKindFromCode(host_.Choices().customKind);
    if (!kind) return;
    const int h = host_.HistoryDepth();
    const std::vector<PlanForecast> forecasts = CustomForecasts(history, Compile(host_.Choices().formulas), *kind, h);
    if (forecasts.empty()) return;
    // Rows past what this history fills would keep an earlier history's verdicts.
    ClearPlanRows(grids_.custom, history, WriteCustomView(grids_.custom, history, forecasts, *kind, h) + 2,
                  grids_.custom.Grid()->RowCount() - 1);
}

void CustomPage::RefreshAlgorithmStats() {
    if (!enabled_) return;
    ReportListView* list = view_.algorithms;
    const std::optional<PredictionKind> kind = CustomKindFromCode(host_.Choices().customKind);
    const int window = IntegerValue(host_.Choices().statsWindow);
    for (int r = 0; r < list->RowCount() && r < static_cast<int>(rows_.size()); ++r) {
        HitStats stats;  // zeros when the history cannot be judged
        if (kind) {
            const auto texts = SplitAlgorithmText(rows_[static_cast<size_t>(r)].algorithmText);
            if (auto computed = EvaluateAlgorithm(host_.History(), Compile(texts), *kind, window)) stats = *computed;
        }
        list->SetCellText(r, kAccuracy, QString::number(stats.accuracy));
        list->SetCellText(r, kHitRun, QString::number(stats.hitRun));
        list->SetCellText(r, kMissRun, QString::number(stats.missRun));
    }
}

void CustomPage::SelectCustomKind(int link) {
    if (!enabled_ || link < kFirstKindLink || link > kLastKindLink) return;
    for (int n = kFirstKindLink; n <= kLastKindLink; ++n)
        view_.Link(n)->SetBackground(ToQColor(n == link ? colours::kLightBlue : colours::kLightGrey));
    host_.Choose([link](UserChoices& c) { c.customKind = c.startCustomKind = link - kFirstKindLink + 1; });
    RefreshCustomForecasts();
}

void CustomPage::SelectAlgorithm(int row) {
    selectedRow_ = row;
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    const CustomAlgorithm& chosen = rows_[static_cast<size_t>(row)];
    host_.Choose([&](UserChoices& c) {
        c.algorithmName = chosen.name;
        c.formulas = SplitAlgorithmText(chosen.algorithmText);
    });
    RefreshCustomForecasts();
}

void CustomPage::SaveAlgorithm() {
    if (!enabled_) return;
    CustomAlgorithm row;
    row.name = host_.Choices().algorithmName;
    row.algorithmText = JoinAlgorithmText(host_.Choices().formulas);
    // Refused before anything is written: a name or formula that would not come back the same.
    if (std::string why = ValidateAlgorithm(row); !why.empty()) {
        host_.Messages().Show(host_.DialogParent(), ToQString(kInfoTitle), ToQString(why),
                              MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
        return;
    }
    std::vector<CustomAlgorithm> next = rows_;
    next.push_back(row);
    // The user was told at start-up that a damaged store would be replaced by the next save.
    if (!WriteStore(next, storeDamaged_)) return;
    rows_ = std::move(next);
    ReportListView* list = view_.algorithms;
    const QSignalBlocker quiet(list);
    const int r = list->InsertRow(list->RowCount());
    list->SetCellText(r, kName, ToQString(row.name));
    list->SetCellText(r, kText, ToQString(row.algorithmText));
    RefreshAlgorithmStats();
}

void CustomPage::DeleteSelectedAlgorithm(bool confirm) {
    if (!enabled_) return;
    const int row = selectedRow_;
    if (row < 0 || row >= static_cast<int>(rows_.size())) return;
    if (confirm && host_.Messages().Show(host_.DialogParent(), ToQString(kInfoTitle), ToQString("确定删除吗？"),
                                         MessageBoxes::Icon::None,
                                         MessageBoxes::Buttons::OkCancel) != MessageBoxes::Answer::Ok)
        return;
    // The box's loop may have let another handler change the list; act on what is there now.
    if (row >= static_cast<int>(rows_.size())) return;
    std::vector<CustomAlgorithm> next = rows_;
    next.erase(next.begin() + row);
    if (!WriteStore(next, false)) return;
    rows_ = std::move(next);
    ReportListView* list = view_.algorithms;
    {
        // The row the list moves to is not loaded into the boxes: they keep the deleted
        // algorithm, so a mistaken delete can be saved back.
        const QSignalBlocker quiet(list);
        list->DeleteRow(row);
    }
    selectedRow_ = list->CurrentRow();
}

void CustomPage::ClearAlgorithms() {
    if (!enabled_) return;
    if (host_.Messages().Show(host_.DialogParent(), ToQString(kInfoTitle), ToQString("确定删除吗？"),
                              MessageBoxes::Icon::None, MessageBoxes::Buttons::OkCancel) != MessageBoxes::Answer::Ok)
        return;
    // A damaged store is only replaced by a save; an empty list has nothing to clear.
    if (!(storeDamaged_ && rows_.empty()) && !WriteStore({}, false)) return;
    rows_.clear();
    ReportListView* list = view_.algorithms;
    const QSignalBlocker quiet(list);
    list->DeleteAllRows();
    selectedRow_ = -1;
}

void CustomPage::ChooseStatsWindow(int index) {
    QComboBox* window = view_.statsWindow;
    HyperLinker* link = view_.Link(89);
    if (index < 0 || index >= window->count()) return;
    link->SetCaption(ToQString("统计 ") + window->itemText(index) + ToQString(" 期"));
    link->SetTextColour(ToQColor(colours::kWhite));
    RefreshAlgorithmStats();
}

void CustomPage::OpenStatsWindowList() {
    if (!enabled_) return;
    view_.statsWindow->showPopup();
}

QString CustomPage::HelpText() {
    static const char* const kLines[] = {
        "",
        "Qivra28自定义算法说明：",
        "",
        "开奖号码在软件对应符号为",
        "比如开奖：",
        "",
        "4 + 5 + 8 第一期开奖三个数字分别为：[1] [2] [3]",
        "6 + 2 + 6 第二期：[4] [5] [6]",
        "7 + 8 + 1 第三期：[7] [8] [9]",
        "6 + 7 + 9 第四期：[10] [11] [12]",
        "2 + 9 + 7 第五期：[13] [14] [15]",
        "6 + 1 + 1 第六期：[16] [17] [18]",
        "",
        "软件只允许使用6期数据，算法采取位置获取",
        "比如你算法是",
        "第一期第一个数+第二期第二个数+第三期第三个数",
        "软件则为：[1]+[5]+[9]",
        "第一期结果表示为：[1]+[2]+[3]",
        "第二期结果表示为：[4]+[5]+[6]",
        "第三期结果表示为：[7]+[8]+[9]",
        "",
        "===================================",
        "",
        "搜索算法的条件不能过大，防止软件卡死，",
        "软件开奖中不能进行搜索算法，所以开奖完再搜索",
        "",
        "技术支持：Qivra28开发组，使用中有问题请在软件主页留言",
    };
    QString text;
    for (const char* line : kLines) text += ToQString(line) + ToQString("\r\n");
    return text + ToQString("\r\n");
}

void CustomPage::ShowHelp() {
    if (!enabled_) return;
    host_.Messages().Show(host_.DialogParent(), ToQString(kInfoTitle), HelpText(), MessageBoxes::Icon::Information,
                          MessageBoxes::Buttons::Ok);
}

void CustomPage::RandomizeFormulas() {
    if (!enabled_) return;
    const GeneratorMode m = host_.Choices().generatorMode == 0 ? GeneratorMode::Mixed : GeneratorMode::Simple;
    SetBoxFormulas(generator_->Generation(m));
    RefreshCustomForecasts();
}

void CustomPage::StartSearch() {
    if (!enabled_) return;
    HyperLinker* link = view_.Link(82);
    if (link->Caption() == ToQString(kStopCaption)) {
        if (search_) search_->RequestStop();
        return;
    }
    if (link->Caption() != ToQString(kStartCaption) || searching_) return;
    if (host_.Countdown() < kSearchRefusedBelow) {
        host_.Messages().Show(host_.DialogParent(), ToQString(kInfoTitle),
                              ToQString("即将开奖了，不能进行搜索算法，请在开奖完后再进行搜索，防止软件出错"),
                              MessageBoxes::Icon::Information, MessageBoxes::Buttons::Ok);
        return;
    }
    const UserChoices& c = host_.Choices();
    const std::optional<PredictionKind> kind = CustomKindFromCode(c.customKind);
    if (!kind) return;

    SearchSnapshot snapshot;
    snapshot.history = host_.History();
    snapshot.kind = *kind;
    snapshot.window = IntegerValue(c.statsWindow);
    snapshot.mode = c.generatorMode == 0 ? GeneratorMode::Mixed : GeneratorMode::Simple;
    snapshot.criterion = c.searchCriterion;
    snapshot.threshold = IntegerValue(c.searchThreshold);
    snapshot.seed = seeds_();
    snapshot.workers = 1;
    searched_ = snapshot;

    if (!search_) search_ = std::make_unique<AlgorithmSearch>();
    auto progress = std::make_shared<ProgressBox>();
    QPointer<CustomPage> self(this);
    const bool started = search_->Start(
        std::move(snapshot),
        [progress](const SearchProgress& p) {
            std::lock_guard lock(progress->mutex);
            progress->latest = p;
            progress->any = true;
        },
        [self](const SearchOutcome& outcome) {
            // Delivered through the application object and checked on its thread: the page may
            // be destroyed while the worker finishes.
            if (QCoreApplication* app = QCoreApplication::instance()) {
                QMetaObject::invokeMethod(
                    app,
                    [self, outcome] {
                        if (self) self->FinishSearch(outcome);
                    },
                    Qt::QueuedConnection);
            }
        });
    if (!started) return;
    progress_ = std::move(progress);
    searching_ = true;
    link->SetCaption(ToQString(kStopCaption));
    searchWatch_->start();
}

void CustomPage::ShowSearchProgress() {
    if (!progress_) return;
    SearchProgress p;
    {
        std::lock_guard lock(progress_->mutex);
        if (!progress_->any) return;
        p = progress_->latest;
    }
    view_.status->SetPartText(kSearchStatusPart, ToQString("搜索：已试 %1 个，每秒 %2 个，最佳 %3")
                                                     .arg(p.candidates)
                                                     .arg(static_cast<qulonglong>(p.perSecond + 0.5))
                                                     .arg(p.bestValue));
}

void CustomPage::WatchDrawDue() {
    if (!searching_ || !search_) return;
    if (view_.countdown->text().contains(ToQString(kDrawDueText))) search_->RequestStop();
}

void CustomPage::FinishSearch(const SearchOutcome& outcome) {
    searchWatch_->stop();
    ShowSearchProgress();
    searching_ = false;
    progress_.reset();
    view_.Link(82)->SetCaption(ToQString(kStartCaption));
    const bool haveFormulas = !outcome.formulas[0].empty() || !outcome.formulas[1].empty() || !outcome.formulas[2].empty();
    if (outcome.end != SearchOutcome::End::NoHistory && haveFormulas) {
        SetBoxFormulas(outcome.formulas);
        RefreshCustomForecasts();
    }
    searchCheck_.reset();
    StatusStrip* status = view_.status;
    if (QLabel* part = status->Part(kSearchStatusPart)) part->setToolTip(QString());
    switch (outcome.end) {
        case SearchOutcome::End::Found: {
            QString line = ToQString("搜索完成：已找到算法（共试 %1 个）").arg(outcome.candidates);
            QString hint;
            // Found on the newest periods, so its figure there is high by construction: read it
            // beside the periods it never saw and what chance alone finds among as many tries.
            if (haveFormulas) searchCheck_ = JudgeOutOfSample(outcome.formulas);
            if (const auto& check = searchCheck_) {
                const double byChance = ByChanceCount(outcome.candidates, searched_.kind, searched_.window,
                                                      searched_.criterion, searched_.threshold);
                line += ToQString("　" + SearchFiguresText(*check, byChance));
                hint = ToQString(ByChanceHint(byChance, outcome.candidates));
            }
            status->SetPartText(kSearchStatusPart, line);
            if (QLabel* part = status->Part(kSearchStatusPart)) part->setToolTip(hint);
            break;
        }
        case SearchOutcome::End::Stopped:
            status->SetPartText(kSearchStatusPart, ToQString("搜索已停止（共试 %1 个）").arg(outcome.candidates));
            break;
        case SearchOutcome::End::NoHistory:
            status->SetPartText(kSearchStatusPart, ToQString("开奖数据不足，无法搜索"));
            break;
    }
    Q_EMIT searchFinished();
}

// Where the history holds no older periods, the program's hook reaches into the archive.
std::optional<OutOfSampleCheck> CustomPage::JudgeOutOfSample(const std::array<std::string, 3>& formulas) const {
    const FormulaSet compiled = Compile(formulas);
    const int depth = host_.HistoryDepth();
    return services_.checkOutOfSample
               ? services_.checkOutOfSample(searched_.history, compiled, searched_.kind, searched_.window, depth)
               : CheckOutOfSample(searched_.history, compiled, searched_.kind, searched_.window, depth);
}

void CustomPage::ShowContextMenu(QPoint globalPos) {
    if (!enabled_) return;
    // popup, not exec: no nested event loop inside the list's mouse handler.
    if (algorithmMenu_) algorithmMenu_->popup(globalPos);
}

}  // namespace qivra

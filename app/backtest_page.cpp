#include "app/backtest_page.hpp"

#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include <algorithm>

#include "app/archive_keeper.hpp"
#include "archive/archive_csv.hpp"
#include "archive/date_time.hpp"
#include "core/text.hpp"
#include "ui/controls.hpp"
#include "ui/message_boxes.hpp"
#include "ui/qt_support.hpp"

namespace qivra {
namespace {

const char kInfoTitle[] = "信息：";
const char* const kGameNames[] = {"PC蛋蛋幸运28", "加拿大夜场28"};
constexpr int kKinds = 9;

// A date alone means the whole day: from its first second, to its last.
std::optional<std::string> RangeEnd(const std::string& typed, bool start) {
    const std::string t = std::string(Trim(typed));
    if (auto full = NormalizeDateTime(t)) return full;
    return NormalizeDateTime(t + (start ? " 00:00:00" : " 23:59:59"));
}

RollingSeries ToSeries(const RollingFigures& f) {
    auto points = [](const std::vector<ChartPoint>& in) {
        std::vector<QPointF> out;
        out.reserve(in.size());
        for (const ChartPoint& p : in) out.emplace_back(p.x, p.y);
        return out;
    };
    return {points(f.accuracy), points(f.baseline), points(f.bandLow), points(f.bandHigh)};
}

}  // namespace

BacktestPage::BacktestPage(BacktestPageView view, BacktestPageHost host) : view_(view), host_(std::move(host)) {}

BacktestPage::~BacktestPage() {
    // Cancelled and joined here; what it already posted finds the page gone and drops.
    worker_.Stop();
    delete dialog_.data();
}

int BacktestPage::Game() const {
    const int g = choices_.game >= 0 ? choices_.game : (host_.mainGame ? host_.mainGame() : 1);
    return std::clamp(g, 0, 1);
}

void BacktestPage::ShowPage() {
    {
        const QSignalBlocker quiet(view_.game);
        view_.game->setCurrentIndex(Game());
    }
    ShowSubjects();
    ShowArchiveInfo();
}

void BacktestPage::ShowSubjects() {
    std::vector<SubjectRef> next;
    const std::vector<PlanDefinition>& free = host_.freePlans();
    const std::vector<PlanDefinition>& named = host_.namedPlans();
    for (size_t i = 0; i < free.size(); ++i) next.push_back({SubjectRef::Source::Free, i, "免费 " + free[i].label});
    for (size_t i = 0; i < named.size(); ++i) next.push_back({SubjectRef::Source::Named, i, "会员 " + named[i].label});
    const std::vector<CustomAlgorithm> algorithms = host_.storedAlgorithms();
    for (size_t i = 0; i < algorithms.size(); ++i)
        next.push_back({SubjectRef::Source::Algorithm, i, "算法 " + algorithms[i].name});
    QComboBox* combo = view_.subject;
    // The same list again keeps the user's pick; a changed one keeps it by name where it can.
    const std::string chosen = choices_.subject >= 0 && choices_.subject < static_cast<int>(subjects_.size())
                                   ? subjects_[static_cast<size_t>(choices_.subject)].name
                                   : std::string();
    subjects_ = std::move(next);
    int pick = 0;
    for (size_t i = 0; i < subjects_.size(); ++i)
        if (subjects_[i].name == chosen) pick = static_cast<int>(i);
    const QSignalBlocker quiet(combo);
    combo->clear();
    for (const SubjectRef& s : subjects_) combo->addItem(ToQString(s.name));
    choices_.subject = subjects_.empty() ? -1 : pick;
    combo->setCurrentIndex(choices_.subject);
}

std::optional<BacktestSubject> BacktestPage::SubjectAt(int row, PredictionKind kind) const {
    if (row < 0 || row >= static_cast<int>(subjects_.size())) return std::nullopt;
    const SubjectRef& ref = subjects_[static_cast<size_t>(row)];
    switch (ref.source) {
        case SubjectRef::Source::Free: {
            const auto& plans = host_.freePlans();
            if (ref.index >= plans.size()) return std::nullopt;
            return BacktestSubject::ForPlan(plans[ref.index], kind);
        }
        case SubjectRef::Source::Named: {
            const auto& plans = host_.namedPlans();
            if (ref.index >= plans.size()) return std::nullopt;
            return BacktestSubject::ForPlan(plans[ref.index], kind);
        }
        case SubjectRef::Source::Algorithm: {
            const std::vector<CustomAlgorithm> algorithms = host_.storedAlgorithms();
            // The list may have changed since it was shown: the name must still match.
            if (ref.index >= algorithms.size() || "算法 " + algorithms[ref.index].name != ref.name) return std::nullopt;
            return BacktestSubject::ForAlgorithm(algorithms[ref.index], kind);
        }
    }
    return std::nullopt;
}

void BacktestPage::ShowArchiveInfo() {
    ArchiveKeeper* keeper = host_.archive();
    if (!keeper || !keeper->Archive()) {
        view_.archiveInfo->SetCaption(ToQString("开奖存档未能打开，回测不可用"));
        return;
    }
    std::string text = "存档：" + keeper->Path().string();
    for (int g = 0; g < 2; ++g) text += "\n" + ArchiveSummaryText(kGameNames[g], keeper->Archive()->Summary(g));
    view_.archiveInfo->SetCaption(ToQString(text));
}

void BacktestPage::Tell(const std::string& text) {
    host_.messages().Show(host_.dialogParent(), ToQString(kInfoTitle), ToQString(text), MessageBoxes::Icon::Information,
                          MessageBoxes::Buttons::Ok);
}

void BacktestPage::SetRunning(bool running) {
    running_ = running;
    view_.start->setEnabled(!running);
    view_.cancel->setEnabled(running);
    view_.importCsv->setEnabled(!running);
}

void BacktestPage::StartBacktest() {
    if (running_) return;
    ArchiveKeeper* keeper = host_.archive();
    if (!keeper || !keeper->Archive()) {
        Tell("开奖存档未能打开，无法回测。");
        return;
    }
    if (choices_.kind < 0 || choices_.kind >= kKinds) return;
    if (subjects_.empty()) ShowSubjects();  // the lists may have arrived after the page was shown
    const auto kind = static_cast<PredictionKind>(choices_.kind);
    std::optional<BacktestSubject> subject = SubjectAt(choices_.subject, kind);
    if (!subject) {
        Tell("请选择要回测的计划或算法。");
        ShowSubjects();
        return;
    }
    BacktestRequest request;
    request.archivePath = keeper->Path();
    request.game = Game();
    request.window = std::max(1, IntegerValue(choices_.window));
    switch (choices_.rangeMode) {
        case 0: {
            const int count = IntegerValue(choices_.lastCount);
            if (count < 1) {
                Tell("回测期数必须大于 0。");
                return;
            }
            request.range = BacktestRange::Last(count);
            break;
        }
        case 1: {
            const auto from = RangeEnd(choices_.from, true);
            const auto to = RangeEnd(choices_.to, false);
            if (!from || !to || *to < *from) {
                Tell("日期格式应为 2026-12-01 或 2026-12-01 08:00:00，且开始不晚于结束。");
                return;
            }
            request.range = BacktestRange::Between(*from, *to);
            break;
        }
        default: request.range = BacktestRange::All(); break;
    }
    const std::string name = subjects_[static_cast<size_t>(choices_.subject)].name + "（" + KindCaption(kind) + "）";
    request.subject = std::move(*subject);

    QPointer<BacktestPage> self(this);
    // Progress and the end come from the worker; each is carried to the user-interface thread
    // and dropped there when the page has gone.
    auto post = [](std::function<void()> call) {
        if (QCoreApplication* app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, std::move(call), Qt::QueuedConnection);
    };
    const bool started = worker_.Start(
        std::move(request),
        [self, post](int64_t done, int64_t total) {
            post([self, done, total] {
                if (self) self->ShowProgress(done, total);
            });
        },
        [self, post, name](BacktestOutcome outcome) {
            auto shared = std::make_shared<BacktestOutcome>(std::move(outcome));
            post([self, shared, name] {
                if (self) self->FinishBacktest(std::move(*shared), name);
            });
        });
    if (!started) return;
    SetRunning(true);
    view_.progress->setValue(0);
    view_.results->SetCaption(ToQString("回测中：" + name));
}

void BacktestPage::CancelBacktest() {
    if (running_) worker_.Cancel();
}

void BacktestPage::ShowProgress(int64_t done, int64_t total) {
    if (!running_ || total <= 0) return;
    view_.progress->setValue(static_cast<int>(std::clamp<int64_t>(done * 1000 / total, 0, 1000)));
}

void BacktestPage::FinishBacktest(BacktestOutcome outcome, const std::string& subjectName) {
    SetRunning(false);
    if (!outcome.error.empty()) {
        view_.results->SetCaption(ToQString("回测失败：" + outcome.error));
    } else if (outcome.cancelled) {
        view_.results->SetCaption(ToQString("回测已取消"));
        view_.progress->setValue(0);
    } else {
        const BacktestFigures& f = outcome.figures;
        view_.progress->setValue(1000);
        view_.results->SetCaption(ToQString(BacktestResultText(subjectName, f)));
        view_.charts->ShowRolling(ToSeries(f.rolling),
                                  ToQString("滚动正确率（窗口 " + std::to_string(f.window) + " 期）"));
        view_.charts->ShowSums(f.sumFrequency, f.sumChance);
    }
    last_ = std::move(outcome);
    Q_EMIT backtestFinished();
}

QFileDialog* BacktestPage::MakeDialog(bool save) {
    delete dialog_.data();
    auto* dialog = new QFileDialog(host_.dialogParent(), ToQString(save ? "导出CSV" : "导入CSV"));
    dialog->setObjectName(QStringLiteral("回测文件对话框"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog, !host_.nativeDialogs);
    dialog->setNameFilters({ToQString("CSV 文件 (*.csv)"), ToQString("所有文件 (*)")});
    dialog->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog->setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (save) dialog->setDefaultSuffix(QStringLiteral("csv"));
    dialog_ = dialog;
    return dialog;
}

void BacktestPage::ChooseImportFile() {
    if (running_) return;
    QFileDialog* dialog = MakeDialog(false);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) { ImportFile(ToUtf8(file)); });
    // open(), not exec(): no nested event loop inside the button's click.
    dialog->open();
}

void BacktestPage::ChooseExportFile() {
    QFileDialog* dialog = MakeDialog(true);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& file) { ExportFile(ToUtf8(file)); });
    dialog->open();
}

void BacktestPage::ImportFile(const std::string& path) {
    ArchiveKeeper* keeper = host_.archive();
    if (!keeper || !keeper->Archive() || running_) return;
    const int game = Game();
    const CsvImportResult imported = ImportArchiveCsv(*keeper->Archive(), game, path);
    if (!imported.ok()) {
        Tell(imported.Message());
        return;
    }
    if (host_.archiveChanged) host_.archiveChanged();
    ShowArchiveInfo();
    Tell(std::string(kGameNames[game]) + " " + imported.Message());
}

void BacktestPage::ExportFile(const std::string& path) {
    ArchiveKeeper* keeper = host_.archive();
    if (!keeper || !keeper->Archive()) return;
    const int game = Game();
    const CsvExportResult exported = ExportArchiveCsv(*keeper->Archive(), game, path);
    if (!exported.ok()) {
        Tell("导出失败，原文件未改动：" + exported.error);
        return;
    }
    Tell(std::string(kGameNames[game]) + " 导出完成：" + std::to_string(exported.rows) + " 期。");
}

}  // namespace qivra

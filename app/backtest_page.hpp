#pragma once
// The 【历史回测】 page: the user's choices of game, subject, play type and range; backtests on
// the worker the page holds for the program; the archive's facts; CSV import and export.

#include <QFileDialog>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/backtest_figures.hpp"
#include "app/backtest_worker.hpp"
#include "custom/algorithm_store.hpp"
#include "plans/plan_definition.hpp"
#include "ui/backtest_page_view.hpp"

class QWidget;

namespace qivra {

class ArchiveKeeper;
class MessageBoxes;

// What the page asks of the program.
struct BacktestPageHost {
    std::function<int()> mainGame;  // the main window's 选择开奖
    std::function<const std::vector<PlanDefinition>&()> freePlans;
    std::function<const std::vector<PlanDefinition>&()> namedPlans;
    std::function<std::vector<CustomAlgorithm>()> storedAlgorithms;
    std::function<ArchiveKeeper*()> archive;
    std::function<MessageBoxes&()> messages;
    std::function<QWidget*()> dialogParent;
    std::function<void()> archiveChanged;  // after an import
    bool nativeDialogs = true;             // false in tests: Qt's own file dialog, reachable as a child
};

// The page's own choices; its widgets report edits here (the event map connects them).
struct BacktestChoices {
    int game = -1;  // -1: the main window's game, until the user picks one here
    int subject = 0;
    int kind = 0;   // PredictionKind order
    int rangeMode = 0;  // 0 最近 N 期, 1 日期之间, 2 全部
    std::string lastCount = "1000";
    std::string from;
    std::string to;
    std::string window = "100";
};

class BacktestPage : public QObject {
    Q_OBJECT
public:
    BacktestPage(BacktestPageView view, BacktestPageHost host);
    ~BacktestPage() override;

    const BacktestPageView& View() const { return view_; }
    const BacktestChoices& Choices() const { return choices_; }
    void ReportChoice(const std::function<void(BacktestChoices&)>& change) { change(choices_); }

    // The page came into sight (or the lists it offers may have changed): subjects, game and
    // the archive's facts are shown afresh.
    void ShowPage();
    void ShowArchiveInfo();

    void StartBacktest();
    void CancelBacktest();
    bool Running() const { return running_; }

    // 导入CSV / 导出CSV open a file dialog; the file chosen goes to ImportFile / ExportFile.
    void ChooseImportFile();
    void ChooseExportFile();
    void ImportFile(const std::string& path);
    void ExportFile(const std::string& path);
    QFileDialog* OpenDialog() const { return dialog_.data(); }

    // The subject at a row of 回测组合框2, read from the program's lists; nullopt when gone.
    std::optional<BacktestSubject> SubjectAt(int row, PredictionKind kind) const;
    int SubjectCount() const { return static_cast<int>(subjects_.size()); }
    const BacktestOutcome* LastOutcome() const { return last_ ? &*last_ : nullptr; }

Q_SIGNALS:
    void backtestFinished();

private:
    struct SubjectRef {
        enum class Source { Free, Named, Algorithm } source;
        size_t index;
        std::string name;
    };

    int Game() const;
    void ShowSubjects();
    void ShowProgress(int64_t done, int64_t total);
    void FinishBacktest(BacktestOutcome outcome, const std::string& subjectName);
    void SetRunning(bool running);
    void Tell(const std::string& text);
    QFileDialog* MakeDialog(bool save);

    BacktestPageView view_;
    BacktestPageHost host_;
    BacktestChoices choices_;
    std::vector<SubjectRef> subjects_;
    BacktestWorker worker_;
    bool running_ = false;
    std::optional<BacktestOutcome> last_;
    QPointer<QFileDialog> dialog_;
};

}  // namespace qivra

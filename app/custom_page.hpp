#pragma once
// The custom-algorithm page: formulas, forecast grid, the stored list and the search.

#include <QObject>
#include <QPoint>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "custom/algorithm_search.hpp"
#include "custom/algorithm_store.hpp"
#include "stats/judged_runs.hpp"

class QMenu;
class QTimer;

namespace qivra {

class PageHost;
struct MainWindowView;
struct PlanGrids;

// Where the page keeps its algorithms and how its searches are seeded.
struct CustomPageServices {
    std::string storePath;  // empty: QivraData.ini beside the program, or the user's data folder
    uint64_t searchSeed = 0;  // 0: seeded from the system's entropy
    // Judges a found algorithm in and out of sample on the history it was searched on; empty:
    // CheckOutOfSample on that history alone (the program adds the archive's older draws).
    std::function<std::optional<OutOfSampleCheck>(const DrawHistory&, const FormulaSet&, PredictionKind, int window,
                                                  int depth)>
        checkOutOfSample;
};

class CustomPage : public QObject {
    Q_OBJECT
public:
    CustomPage(const MainWindowView& view, QMenu* algorithmMenu, PageHost& host, PlanGrids& grids,
               CustomPageServices services);
    ~CustomPage() override;

    void EnableCustomAlgorithms();
    void RefreshCustomPage();       // forecasts, then list statistics (refresh step 7, 刷新预测)
    void RefreshCustomForecasts();
    void RefreshAlgorithmStats();
    void SelectCustomKind(int link);  // 74..81
    void SelectAlgorithm(int row);
    void SaveAlgorithm();
    void DeleteSelectedAlgorithm(bool confirm);
    void ClearAlgorithms();
    void ChooseStatsWindow(int index);
    void OpenStatsWindowList();  // 超级链接框89: drops down the hidden 组合框5
    void ShowHelp();
    void RandomizeFormulas();
    void StartSearch();
    void ShowContextMenu(QPoint globalPos);

    bool Enabled() const { return enabled_; }
    bool SearchRunning() const { return searching_; }
    // The row of 超级列表框2 the user chose last; -1 for none.
    int SelectedRow() const { return selectedRow_; }
    // The rows as the store holds them (the list shows the same, in the same order).
    const std::vector<CustomAlgorithm>& Algorithms() const { return rows_; }
    std::string StorePath() const;
    // The last found algorithm judged in and out of sample; nullopt before one is found.
    const std::optional<OutOfSampleCheck>& LastSearchCheck() const { return searchCheck_; }

    static QString HelpText();

Q_SIGNALS:
    void searchFinished();  // the caption is back at "开始搜索"

private:
    struct ProgressBox;

    void SetBoxFormulas(const std::array<std::string, 3>& formulas);
    // Writes rows to the store; on failure says so and returns false, the old file stays.
    bool WriteStore(const std::vector<CustomAlgorithm>& rows, bool replaceDamaged);
    void ShowRows();
    void ShowSearchProgress();
    void FinishSearch(const SearchOutcome& outcome);
    std::optional<OutOfSampleCheck> JudgeOutOfSample(const std::array<std::string, 3>& formulas) const;
    void WatchDrawDue();

    const MainWindowView& view_;
    QMenu* algorithmMenu_;
    PageHost& host_;
    PlanGrids& grids_;
    CustomPageServices services_;
    std::vector<CustomAlgorithm> rows_;
    bool enabled_ = false;
    int selectedRow_ = -1;
    bool storeDamaged_ = false;  // the file did not load; it is only replaced by an explicit save
    std::mt19937_64 seeds_;      // one seed source per program for generations and searches
    std::unique_ptr<FormulaGenerator> generator_;
    std::unique_ptr<AlgorithmSearch> search_;
    std::shared_ptr<ProgressBox> progress_;
    QTimer* searchWatch_ = nullptr;
    SearchSnapshot searched_;  // what the last search judged, for its result's figures
    bool searching_ = false;
    std::optional<OutOfSampleCheck> searchCheck_;
};

}  // namespace qivra

#pragma once
// The custom-algorithm page: formulas, forecast grid, the stored list and the search.

#include <QObject>
#include <QPoint>

namespace qivra {

class Program;

class CustomPage : public QObject {
    Q_OBJECT
public:
    explicit CustomPage(Program& program);
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
    void ShowHelp();
    void RandomizeFormulas();
    void StartSearch();
    void ShowContextMenu(QPoint globalPos);

private:
    Program& program_;
};

}  // namespace qivra

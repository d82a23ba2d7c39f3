#include "app/history_grid.hpp"

#include <algorithm>

#include "core/classify.hpp"
#include "core/history_colours.hpp"
#include "ui/egrid.hpp"
#include "ui/qt_support.hpp"

namespace qivra {

void ShowHistoryRow(const HistoryGrids& g, const DrawHistory& history, int r, int depth) {
    const DrawRecord& d = history.at(r);
    const QString period = ToQString(d.period);
    const QString time = ToQString(d.time).left(5);
    const QString content = ToQString(d.content);
    g.summary->SetCellText(r, 0, period);
    g.summary->SetCellText(r, 1, content);
    for (EGrid* plan : {g.freePlan, g.namedPlan, g.customPlan}) {
        plan->SetCellText(r + 1, 0, period);
        plan->SetCellText(r + 1, 1, time);
        plan->SetCellText(r + 1, 2, content);
    }
    const std::string attributes[7] = {SizeText(d.sum),      ParityText(d.sum),         CombinationText(d.sum),
                                       MiddleEdgeText(d.sum), std::to_string(Mod3(d.sum)), std::to_string(Mod4(d.sum)),
                                       std::to_string(Mod5(d.sum))};
    g.trend->SetCellText(r, 0, period);
    g.trend->SetCellText(r, 1, content);
    for (int c = 0; c < 7; ++c) {
        g.trend->SetCellText(r, c + 2, ToQString(attributes[c]));
        // Coloured from the text just classified, the same text the cell shows.
        if (r <= depth) g.trend->SetCellBackground(r, c + 2, ToQColor(AttributeColour(attributes[c])));
    }
}

void ClearHistoryRows(const HistoryGrids& g, int firstDraw, int firstForecast) {
    const QString none;
    const int first = std::max(firstDraw, 1);
    for (int r = first; r < g.summary->RowCount(); ++r)
        for (int c = 0; c <= 1; ++c) g.summary->SetCellText(r, c, none);
    // Draw 0 is the coming period in row 1: cleared only when no forecast is left to show there.
    const int firstVerdict = std::clamp(firstForecast, 0, first);
    for (EGrid* plan : {g.freePlan, g.namedPlan, g.customPlan}) {
        if (firstVerdict == 0)
            for (int c = 0; c <= 2; ++c) plan->SetCellText(1, c, none);
        for (int r = first; r + 1 < plan->RowCount(); ++r)
            for (int c = 0; c <= 2; ++c) plan->SetCellText(r + 1, c, none);
        for (int r = firstVerdict; r + 1 < plan->RowCount(); ++r)
            for (int c = 3; c <= 6; ++c) plan->SetCellText(r + 1, c, none);
        // Past the verdicts, the columns' plain text colour (the layout leaves these black; the
        // coming row keeps its blue, which nothing changes).
        const int firstJudged = std::max(firstVerdict, 1) + 1;
        if (firstJudged < plan->RowCount())
            plan->SetRangeTextColour(firstJudged, 3, plan->RowCount() - 1, 6, ToQColor(colours::kBlack));
    }
    for (int r = first; r < g.trend->RowCount(); ++r)
        for (int c = 0; c <= 8; ++c) g.trend->SetCellText(r, c, none);
    if (first < g.trend->RowCount()) g.trend->SetRangeBackground(first, 2, g.trend->RowCount() - 1, 8, QColor());
}

}  // namespace qivra

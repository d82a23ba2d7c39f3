#include "app/history_grid.hpp"

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

}  // namespace qivra

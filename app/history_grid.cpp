#include "app/history_grid.hpp"

#include <map>

#include "core/classify.hpp"
#include "ui/egrid.hpp"
#include "ui/qt_support.hpp"

namespace qivra {

Rgb AttributeColour(const std::string& text) {
    static const std::map<std::string, Rgb> kColours = {
        {"大", {255, 0, 0}},     {"小", {0, 0, 255}},     {"单", {144, 0, 255}},  {"双", {255, 80, 128}},
        {"小单", {128, 0, 0}},   {"小双", {128, 0, 128}}, {"大单", {0, 0, 255}},  {"大双", {0, 128, 0}},
        {"中", {0, 128, 0}},     {"边", {128, 128, 0}},   {"0", {128, 160, 128}}, {"1", {0, 96, 192}},
        {"2", {255, 128, 0}},    {"3", {128, 0, 128}},    {"4", {0, 128, 128}},
    };
    auto it = kColours.find(text);
    return it == kColours.end() ? Rgb{0, 0, 0} : it->second;
}

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

// The widgets that show the user's choices report every edit to the program, which holds the
// one copy the pages read. A change the program makes itself is shown without being reported.
#include <QAbstractButton>
#include <QCheckBox>
#include <QRadioButton>
#include <QComboBox>
#include <QLineEdit>

#include "app/program.hpp"
#include "program/event_map.hpp"
#include "ui/controls.hpp"
#include "ui/integer_edit.hpp"
#include "ui/main_window.hpp"
#include "ui/qt_support.hpp"

namespace qivra {
namespace {

// field(c) names the choice a widget shows.
template <class Field>
void ReportTicked(Program* p, QAbstractButton* box, Field field) {
    QObject::connect(box, &QAbstractButton::toggled, p,
                     [p, field](bool on) { p->ReportChoice([&](UserChoices& c) { field(c) = on; }); });
}

template <class Field>
void ReportText(Program* p, QLineEdit* edit, Field field) {
    QObject::connect(edit, &QLineEdit::textChanged, p,
                     [p, field](const QString& text) { p->ReportChoice([&](UserChoices& c) { field(c) = ToUtf8(text); }); });
}

template <class Field>
void ReportIndex(Program* p, QComboBox* combo, Field field) {
    QObject::connect(combo, &QComboBox::currentIndexChanged, p,
                     [p, field](int index) { p->ReportChoice([&](UserChoices& c) { field(c) = index; }); });
}

template <class Field>
void ReportItem(Program* p, QComboBox* combo, Field field) {
    QObject::connect(combo, &QComboBox::currentTextChanged, p,
                     [p, field](const QString& text) { p->ReportChoice([&](UserChoices& c) { field(c) = ToUtf8(text); }); });
}

}  // namespace

void ConnectChoiceReports(Program& program) {
    const MainWindowView& v = program.Window()->View();
    Program* p = &program;
    ReportIndex(p, v.game, [](UserChoices& c) -> int& { return c.game; });
    ReportText(p, v.historyDepth, [](UserChoices& c) -> std::string& { return c.historyDepth; });
    ReportTicked(p, v.announceDraws, [](UserChoices& c) -> bool& { return c.announceDraws; });
    ReportTicked(p, v.promptSounds, [](UserChoices& c) -> bool& { return c.promptSounds; });

    ReportIndex(p, v.markMetric, [](UserChoices& c) -> int& { return c.markMetric; });
    ReportIndex(p, v.markComparison, [](UserChoices& c) -> int& { return c.markComparison; });
    ReportText(p, v.markThreshold, [](UserChoices& c) -> std::string& { return c.markThreshold; });
    QObject::connect(v.markColour, &ColourPicker::colourChanged, p,
                     [p](QColor colour) { p->ReportChoice([&](UserChoices& c) { c.markColour = ToRgb(colour); }); });
    ReportTicked(p, v.autoMark, [](UserChoices& c) -> bool& { return c.autoMark; });
    ReportItem(p, v.markWindow, [](UserChoices& c) -> std::string& { return c.markWindow; });

    ReportText(p, v.streakThreshold, [](UserChoices& c) -> std::string& { return c.streakThreshold; });
    ReportTicked(p, v.streakSound, [](UserChoices& c) -> bool& { return c.streakSound; });
    ReportTicked(p, v.streakBalloon, [](UserChoices& c) -> bool& { return c.streakBalloon; });
    ReportTicked(p, v.streakByFamily, [](UserChoices& c) -> bool& { return c.streakByFamily; });
    for (size_t i = 0; i < v.streakFamilies.size(); ++i)
        ReportTicked(p, v.streakFamilies[i], [i](UserChoices& c) -> bool& { return c.streakFamilies[i]; });
    ReportTicked(p, v.streakPairs, [](UserChoices& c) -> bool& { return c.streakPairs; });

    ReportItem(p, v.statsWindow, [](UserChoices& c) -> std::string& { return c.statsWindow; });
    ReportIndex(p, v.generatorMode, [](UserChoices& c) -> int& { return c.generatorMode; });
    ReportIndex(p, v.searchCriterion, [](UserChoices& c) -> int& { return c.searchCriterion; });
    ReportText(p, v.searchThreshold, [](UserChoices& c) -> std::string& { return c.searchThreshold; });
    for (size_t i = 0; i < v.formulas.size(); ++i)
        ReportText(p, v.formulas[i], [i](UserChoices& c) -> std::string& { return c.formulas[i]; });
    ReportText(p, v.algorithmName, [](UserChoices& c) -> std::string& { return c.algorithmName; });
}

}  // namespace qivra

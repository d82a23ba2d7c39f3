// The user's choices live in the program: the window starts showing the program's defaults
// (which are the layout's), every edit is reported back, and a choice the program makes shows.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>

#include "program_fixture.hpp"
#include "ui/controls.hpp"
#include "ui/integer_edit.hpp"
#include "ui/qt_text.hpp"

namespace qivra::testing {
namespace {

// Everything the choice widgets of a window show, in one comparable list.
QStringList ShownChoices(const MainWindowView& v) {
    QStringList out;
    for (QComboBox* combo : {v.game, v.markMetric, v.markComparison, v.markWindow, v.statsWindow, v.generatorMode,
                             v.searchCriterion})
        out << combo->currentText();
    for (QLineEdit* edit : {static_cast<QLineEdit*>(v.historyDepth), v.markThreshold, v.streakThreshold,
                            v.searchThreshold, v.formulas[0], v.formulas[1], v.formulas[2], v.algorithmName})
        out << edit->text();
    for (QAbstractButton* box : {static_cast<QAbstractButton*>(v.announceDraws), static_cast<QAbstractButton*>(v.promptSounds),
                                 static_cast<QAbstractButton*>(v.autoMark), static_cast<QAbstractButton*>(v.streakSound),
                                 static_cast<QAbstractButton*>(v.streakBalloon),
                                 static_cast<QAbstractButton*>(v.streakByFamily),
                                 static_cast<QAbstractButton*>(v.streakPairs)})
        out << (box->isChecked() ? QStringLiteral("ticked") : QStringLiteral("clear"));
    for (QCheckBox* box : v.streakFamilies) out << (box->isChecked() ? QStringLiteral("ticked") : QStringLiteral("clear"));
    out << v.markColour->colour().name();
    return out;
}

TEST_F(ProgramFixture, TheWindowShowsTheProgramsChoicesWhichAreTheLayouts) {
    const MainWindow layoutOnly;
    program_ = std::make_unique<Program>(Services());
    program_->CreateMainWindow();
    ConnectEventMap(*program_);
    EXPECT_EQ(program_->Choices(), UserChoices{});
    EXPECT_EQ(ShownChoices(window().View()), ShownChoices(layoutOnly.View()));
}

TEST_F(ProgramFixture, EditsAreReportedAndTheProgramsChoicesShow) {
    StartAndWaitForFirstRefresh();
    const MainWindowView& v = window().View();
    v.markThreshold->setText(QStringLiteral("65"));
    v.streakFamilies[2]->click();
    v.markWindow->setCurrentIndex(3);
    v.generatorMode->setCurrentIndex(0);
    v.formulas[1]->setText(QStringLiteral("[2]+[3]"));
    v.markColour->SetColour(QColor(0, 128, 0));
    const UserChoices& c = program_->Choices();
    EXPECT_EQ(c.markThreshold, "65");
    EXPECT_FALSE(c.streakFamilies[2]);
    EXPECT_EQ(c.markWindow, "50");
    EXPECT_EQ(c.generatorMode, 0);
    EXPECT_EQ(c.formulas[1], "[2]+[3]");
    EXPECT_EQ(c.markColour, (Rgb{0, 128, 0}));

    // The program puts the period count back to 100 on the next refresh, and the box shows it.
    v.historyDepth->setText(QStringLiteral("300"));
    EXPECT_EQ(c.historyDepth, "300");
    RefreshAndWait();
    EXPECT_EQ(c.historyDepth, "100");
    EXPECT_EQ(v.historyDepth->text(), QStringLiteral("100"));
}

}  // namespace
}  // namespace qivra::testing

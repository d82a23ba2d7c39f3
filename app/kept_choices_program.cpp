// The program's side of the kept choices: restored as the main window is created, through the
// same widgets and page operations as the user's own changes, and written back on the user's.
#include <QComboBox>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

#include <cstdio>

#include "app/custom_page.hpp"
#include "app/kept_choices.hpp"
#include "app/program.hpp"
#include "ui/controls.hpp"
#include "ui/main_window.hpp"
#include "ui/qt_text.hpp"

namespace qivra {
namespace {

// The status part no other text uses (2: connection, 3: search).
constexpr int kKeptChoicesStatusPart = 1;

// A kept position is used only if the window's top strip lands on a screen as it is now.
bool OnSomeScreen(QPoint at, QSize size) {
    const QRect grip(at, QSize(size.width(), 40));
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect shared = screen->availableGeometry().intersected(grip);
        if (shared.width() >= 100 && shared.height() >= 20) return true;
    }
    return false;
}

}  // namespace

void Program::RestoreKeptChoices() {
    keptPath_ = services_.keptChoicesPath.empty() ? DefaultKeptChoicesPath() : ToQString(services_.keptChoicesPath);
    const KeptChoices kept = ReadKeptChoices(keptPath_, choices_);
    choices_ = kept.choices;
    kept_ = choices_;
    ShowChoices();
    // What the widgets alone do not show follows as it would after the user's own pick.
    custom_->ChooseStatsWindow(View().statsWindow->currentIndex());
    if (kept.windowPosition && OnSomeScreen(*kept.windowPosition, window_->size())) {
        window_->move(*kept.windowPosition);
        keptPosition_ = kept.windowPosition;
    }
    if (kept.state == KeptFileState::Damaged || kept.state == KeptFileState::Unreadable) {
        const bool damaged = kept.state == KeptFileState::Damaged;
        QLabel* part = View().status->Part(kKeptChoicesStatusPart);
        if (part) {
            part->setTextFormat(Qt::PlainText);
            part->setText(ToQString(damaged ? "设置文件已损坏，用初始设置" : "设置文件无法读取，用初始设置"));
            part->setToolTip(QStringLiteral("<p>%1</p>").arg(keptPath_.toHtmlEscaped()));
        }
        std::fprintf(stderr, "qivra28: kept choices %s: %s; the initial states are shown\n",
                     damaged ? "damaged" : "unreadable", qPrintable(keptPath_));
    }
    window_->installEventFilter(this);
    keeping_ = true;
}

bool Program::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_.data() && event->type() == QEvent::Move && window_->isVisible()) windowMoved_ = true;
    return QObject::eventFilter(watched, event);
}

void Program::KeepChoices() {
    if (!keeping_ || !window_) return;
    std::optional<QPoint> position = keptPosition_;
    if (windowMoved_ && window_->isVisible()) position = window_->pos();
    UserChoices keep = choices_;
    if (gameByRule_) keep.game = kept_.game;
    if (SameKeptChoices(keep, kept_) && position == keptPosition_) return;
    if (!WriteKeptChoices(keptPath_, keep, position)) {
        std::fprintf(stderr, "qivra28: kept choices could not be written to %s\n", qPrintable(keptPath_));
        return;
    }
    kept_ = keep;
    keptPosition_ = position;
}

}  // namespace qivra

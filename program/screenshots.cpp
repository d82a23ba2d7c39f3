// qivra28-screenshots: runs the program against the results service it is built for, opens the
// popup and the streak alarm as a user would, and saves a picture of each of the three windows.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

#include "app/program.hpp"
#include "tools/stored_texts.hpp"
#include "ui/draw_popup.hpp"
#include "program/event_map.hpp"
#include "ui/qt_support.hpp"
#include "ui/streak_alarm_window.hpp"

namespace {

template <class T>
T* FindTopLevel() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w); t && t->isVisible()) return t;
    return nullptr;
}

bool Save(QWidget* w, const QDir& dir, const char* file) {
    if (!w) {
        std::fprintf(stderr, "qivra28-screenshots: no window for %s\n", file);
        return false;
    }
    const QString path = dir.filePath(qivra::ToQString(file));
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    qivra::InstallFontSubstitutions();
    const QDir dir(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("."));
    QDir().mkpath(dir.path());

    qivra::ProgramServices services;
    services.settings = qivra::CompiledInSettings();
    services.freePlansStored = qivra::FreePlanDefinitionsStored();
    services.namedPlansStored = qivra::NamedPlanDefinitionsStored();
    // The pictures show the layout's states, and the boxes ticked below are not the user's.
    const QTemporaryDir kept;
    services.keptChoicesPath = kept.filePath(QStringLiteral("Qivra28.conf")).toStdString();
    // The service's draws are not the user's: they go into an archive of their own.
    const QTemporaryDir archiveDir;
    services.archivePath = archiveDir.filePath(QStringLiteral("archive.sqlite")).toStdString();
    qivra::Program program(std::move(services));
    qivra::MainWindow* window = program.CreateMainWindow();
    qivra::ConnectEventMap(program);
    // Ticked before the first refresh: it announces its draw, and the alarm window gets its report.
    window->View().announceDraws->setChecked(true);
    window->View().streakAlarm->click();

    int status = 1;
    QObject::connect(&program, &qivra::Program::refreshFinished, &app, [&] {
        // Let the windows paint once before they are pictured.
        QTimer::singleShot(500, &app, [&] {
            const bool ok = Save(window, dir, "main-window.png") &
                            Save(FindTopLevel<qivra::DrawPopup>(), dir, "draw-popup.png") &
                            Save(FindTopLevel<qivra::StreakAlarmWindow>(), dir, "streak-alarm.png");
            status = ok ? 0 : 1;
            app.quit();
        });
    }, Qt::SingleShotConnection);
    QObject::connect(&program, &qivra::Program::startFinished, &app, [](bool running) {
        if (!running) QApplication::exit(1);
    }, Qt::QueuedConnection);
    program.Start();
    QTimer::singleShot(60000, &app, [&] {
        std::fprintf(stderr, "qivra28-screenshots: no refresh within a minute\n");
        app.exit(1);
    });
    QApplication::exec();
    return status;
}

// qivra28: the program's entry.
#include <QApplication>

#include "app/program.hpp"
#include "core/command_line.hpp"
#include "tools/stored_texts.hpp"
#include "program/event_map.hpp"
#include "ui/qt_support.hpp"

int main(int argc, char** argv) {
    // --help and --version answer before Qt starts, so they need no display.
    if (const auto status = qivra::ProgramCommandLine(argc, argv)) return *status;
    QApplication app(argc, argv);
    // Closing the main window ends the program, whatever else is open; nothing else does.
    QApplication::setQuitOnLastWindowClosed(false);
    qivra::InstallFontSubstitutions();

    qivra::ProgramServices services;
    services.settings = qivra::CompiledInSettings();
    services.freePlansStored = qivra::FreePlanDefinitionsStored();
    services.namedPlansStored = qivra::NamedPlanDefinitionsStored();
    qivra::Program program(std::move(services));
    // Closing the main window or the connecting window ends the program, and so does a start-up
    // that cannot go on; the program's destructor then cancels and joins its worker.
    QObject::connect(&program, &qivra::Program::quitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    QObject::connect(&program, &qivra::Program::startFinished, &app, [](bool running) {
        if (!running) QApplication::quit();
    }, Qt::QueuedConnection);
    program.CreateMainWindow();
    qivra::ConnectEventMap(program);
    program.Start();
    return QApplication::exec();
}

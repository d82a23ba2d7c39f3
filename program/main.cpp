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
    QObject::connect(&program, &qivra::Program::quitRequested, &app, &QApplication::quit, Qt::QueuedConnection);
    program.CreateMainWindow();
    qivra::ConnectEventMap(program);
    if (!program.Start()) return 0;
    return QApplication::exec();
}

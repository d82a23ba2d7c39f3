// qivra28: the program's entry.
#include <QApplication>

#include "app/program.hpp"
#include "net/cookie_store.hpp"
#include "net/http_session.hpp"
#include "tools/stored_texts.hpp"
#include "program/event_map.hpp"
#include "ui/qt_support.hpp"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    // Closing the main window ends the program, whatever else is open; nothing else does.
    QApplication::setQuitOnLastWindowClosed(false);
    qivra::InstallFontSubstitutions();

    // Cookies last between runs in the user's data folder, as a browser's would.
    static qivra::CookieStore cookies;
    qivra::ProgramServices services;
    services.http = std::make_shared<qivra::HttpSession>(&cookies);
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

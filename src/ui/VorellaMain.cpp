// vorella: the desktop program. The same start-up and core as the service,
// with windows: the Qt front end takes the core's window calls and the
// worker's reports, and the Qt event loop is the message loop.
#include "app/App.h"
#include "app/EngineWorker.h"
#include "app/StartupEnvironment.h"
#include "app/TelephonyProvider.h"
#include "frontend/ExitSignal.h"
#include "frontend/MessageBoxes.h"
#include "frontend/QtFrontEnd.h"
#include "frontend/UiTranslations.h"

#include <QApplication>
#include <QEventLoop>
#include <QIcon>

#include <csignal>
#include <cstdio>

namespace {
// A message of the start-up before there is a loop (the help text, a
// program folder that cannot be entered): the instance ends right after,
// so the box is waited for here.
void ShowStartupMessage(const std::string& text) {
    QMessageBox* box = OpenMessageBox(nullptr, text, MessageIcon::Information);
    QEventLoop loop;
    QObject::connect(box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    loop.exec();
}
} // namespace

int main(int argc, char** argv) {
    QApplication qapp(argc, argv);
    QApplication::setApplicationName("Vorella");
    QApplication::setApplicationVersion(VORELLA_VERSION);
    QApplication::setDesktopFileName("vorella");
    InstallTranslations(qapp);
    // The installed icon theme's, so that a theme may restyle it; the
    // program's own copy where it is not installed.
    QApplication::setWindowIcon(QIcon::fromTheme("vorella", QIcon(":/main/vorella.svg")));
    // A control client that goes away before its reply must not end us.
    std::signal(SIGPIPE, SIG_IGN);

    CQtFrontEnd frontEnd(CCallNotifier::KindFor(QGuiApplication::platformName()));
    CExitSignal exitSignal;
    QObject::connect(&exitSignal, &CExitSignal::exitRequested, &frontEnd,
                     &CQtFrontEnd::LeaveInOrder);
    CStartupEnvironment env(ShowStartupMessage);
    // The telephony provider comes with the phone object, once the start
    // goes on: a start that only shows the help or hands over touches nothing.
    CTapiProviders providers;
    frontEnd.SetTelephonyProviders(&providers);
    CTarvo32App app(frontEnd, env, [&frontEnd, &providers]() -> std::unique_ptr<IAppWorker> {
        InstallTelephonyProvider(providers, [](const std::string& text) {
            std::fprintf(stderr, "vorella: %s\n", text.c_str());
        });
        return std::make_unique<CEngineWorker>(frontEnd.WorkerBridge(), providers);
    });
    return app.InitInstance(argc, argv);
}

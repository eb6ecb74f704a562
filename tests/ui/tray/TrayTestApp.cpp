// The desktop program's tray icon on a scripted line, for the panel tests.
// It runs the real hidden-window core and the real tray icon against a fake
// worker, takes line changes on standard input and reports on standard
// output what reaches the program (commands, the main window).
//
// Input lines: "call 0|1", "record 0|1", "hold 0|1", "play 0|1" (the line's
// flags as the worker would set them), "tooltip TEXT", "state", "quit".
// Output lines: "ready", "main-window", "command ID", "state ...".
//
// With "--screenshots DIR" it saves the tray menu as the user sees it
// (tray-menu.png) and each picture at 22 and 16 px on a light and a dark panel
// (tray-icons-light.png, tray-icons-dark.png), then ends.
#include "FakeAppWorker.h"

#include "app/BasicWindow.h"
#include "app/TrayLogic.h"
#include "engine/CallState.h"
#include "ui/tray/TrayIcon.h"

#include "ui/tray/TrayPictures.h"

#include <QApplication>
#include <QDir>
#include <QMenu>
#include <QPainter>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

namespace {

void Say(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// A worker that records and stops at once when asked.
class ScriptedWorker : public FakeAppWorker {
public:
    void Wake() override {
        CCallStateData& engine = Engine();
        if (engine.bActionPending && engine.nAction == kActionRecord) {
            engine.bActionPending = false;
            engine.bRecording = true;
        }
    }
};

class TrayFrontEnd : public IAppFrontEnd {
public:
    CTrayIcon* pTray = nullptr;
    void Message(const std::string& text) override { Say("message " + text); }
    void ShowMainWindow(bool bShow) override {
        if (bShow)
            Say("main-window");
    }
    void TrayStateChanged(int nState) override {
        if (pTray)
            pTray->SetState(nState);
    }
    void TrayTick() override {
        if (pTray)
            pTray->Tick();
    }
    void StartMainRefresh(unsigned) override {}
    CallerFields GetCallerFields() override { return {}; }
    void SetCallerFields(const CallerFields&) override {}
    bool OnWindowCommand(int nId) override {
        Say("command " + std::to_string(nId));
        return true;
    }
    void RunMessageLoop(CBasicWindow&) override {}
    void ScreeningChanged(const std::string&) override {
        if (pTray)
            pTray->ScreeningChanged();
    }
};

// Every picture in a row at 22 px, and below at 16 px, on a panel of the
// given colour.
bool SavePictureStrip(const QString& file, const QColor& panel) {
    const int pictures[] = {kTrayPicCreated, kTrayPicIdle, kTrayPicPaused, kTrayPicPlaying,
                            kTrayPicRecording, kTrayPicBlank};
    const int sizes[] = {22, 16};
    const int cell = 22, pad = 6;
    const int count = static_cast<int>(std::size(pictures));
    QImage strip(count * (cell + pad) + pad, 2 * (cell + pad) + pad, QImage::Format_ARGB32);
    strip.fill(panel);
    QPainter painter(&strip);
    for (int row = 0; row < 2; ++row) {
        const int size = sizes[row];
        const int inset = (cell - size) / 2;
        for (int i = 0; i < count; ++i)
            painter.drawPixmap(pad + i * (cell + pad) + inset, pad + row * (cell + pad) + inset,
                               TrayPictureIcon(pictures[i]).pixmap(size, size));
    }
    painter.end();
    return strip.save(file);
}

int SaveScreenshots(QApplication& app, CTrayIcon& tray, const QString& dir) {
    QDir().mkpath(dir);
    bool ok = SavePictureStrip(dir + "/tray-icons-light.png", QColor(0xf2, 0xf2, 0xf2)) &&
              SavePictureStrip(dir + "/tray-icons-dark.png", QColor(0x24, 0x28, 0x2c));
    QMenu* menu = tray.Menu();
    menu->popup(QPoint(40, 40));
    // Shown and laid out once the event loop has run.
    QTimer::singleShot(300, &app, [&, menu] {
        ok = menu->grab().save(dir + "/tray-menu.png") && ok;
        menu->hide();
        app.quit();
    });
    app.exec();
    Say(ok ? "saved" : "not saved");
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    ScriptedWorker worker;
    TrayFrontEnd frontEnd;
    CBasicWindow window(frontEnd);
    std::string error;
    window.Create(&error);
    window.AttachWorker(worker);
    CTrayIcon tray(window);
    frontEnd.pTray = &tray;
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == "--screenshots")
        return SaveScreenshots(app, tray, args[2]);
    QObject::connect(&tray, &CTrayIcon::availabilityChanged,
                     [](bool bAvailable) { Say(bAvailable ? "tray-available" : "tray-gone"); });
    if (!tray.IsAvailable())
        Say("no-tray");
    tray.Show();

    // The hidden window's timers, as the program's loop drives them.
    QTimer loop;
    QObject::connect(&loop, &QTimer::timeout, [&] {
        window.ProcessEvents(0);
        if (window.IsQuitPosted())
            app.quit();
    });
    loop.start(10);

    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, [&] {
        std::string line;
        if (!std::getline(std::cin, line) || line == "quit") {
            input.setEnabled(false);
            app.quit();
            return;
        }
        const std::string word = line.substr(0, line.find(' '));
        const std::string arg = line.size() > word.size() ? line.substr(word.size() + 1) : "";
        const bool on = arg == "1";
        if (word == "call") {
            // The worker tells the front end about a call; the front end
            // wakes the tray.
            worker.bCallActive = on;
            worker.Engine().bRinging = on;
            window.WakeTray();
        } else if (word == "record") {
            worker.Engine().bRecording = on;
        } else if (word == "hold") {
            worker.Engine().bHold = on;
        } else if (word == "play") {
            worker.Engine().bPlaying = on;
        } else if (word == "tooltip") {
            tray.SetTooltip(arg);
        }
        Say("state paused=" + std::to_string(worker.Engine().bPaused.load()) +
            " picture=" + std::to_string(tray.ShownPicture()) +
            " timer3=" + std::to_string(window.Timers().IsRunning(kTimerTray)));
    });
    Say("ready");
    return app.exec();
}

#include "main/MainMenu.h"

#include "app/CommandIds.h"
#include "main/MainIcons.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

struct MenuItem {
    const char* menu;     // the menu it is in; nullptr: a separator in the last one
    int nId;              // 0 with menu set: a separator
    const char* text;     // with its mnemonic
    const char* shortcut; // portable text ("Ctrl+R"), or nullptr
    const char* icon;     // file in icons/, or nullptr
    bool bToolbar;
    bool bCheckable;
};

constexpr const char* kCalls = "&Calls";
constexpr const char* kLine = "&Line";
constexpr const char* kSound = "S&ound";
constexpr const char* kTools = "&Tools";
constexpr const char* kHelp = "&Help";

constexpr MenuItem kItems[] = {
    {kCalls, kCmdPlay, "&Play", "Ctrl+P", "play", true, false},
    {kCalls, kCmdPlayAFile, "&Play a File...", "Ctrl+Shift+P", nullptr, false, false},
    {kCalls, kCmdSaveAs, "Save &as...", "Ctrl+S", "save", true, false},
    {kCalls, kCmdMoveToFolder, "&Move to Folder...", "Ctrl+M", nullptr, false, false},
    {kCalls, kCmdSendTo, "S&end To...", "Ctrl+E", "send", true, false},
    {kCalls, kCmdEditRecording, "Edit &recording...", "Ctrl+Shift+E", nullptr, false, false},
    {kCalls, kCmdDelete, "&Delete", "Del", "delete", true, false},
    {kCalls, 0, nullptr, nullptr, nullptr, false, false},
    {kCalls, kCmdFind, "&Find", "Ctrl+F", nullptr, false, false},
    {kCalls, kCmdExportXml, "&Export Calls to XML", "Ctrl+Shift+X", nullptr, false, false},
    {kCalls, kCmdPrint, "Prin&t", nullptr, nullptr, false, false},
    {kCalls, 0, nullptr, nullptr, nullptr, false, false},
    {kCalls, kCmdRestart, "&Restart", "Ctrl+Shift+R", nullptr, false, false},
    {kCalls, kCmdExit, "E&xit", "Ctrl+Q", nullptr, false, false},

    {kLine, kCmdRecord, "&Record", "Ctrl+R", "record", true, false},
    {kLine, kCmdStopRecording, "&Stop", "Ctrl+.", "stop", true, false},
    {kLine, kCmdUpdate, "&Update", "Ctrl+U", "update", true, false},
    {kLine, 0, nullptr, nullptr, nullptr, false, false},
    {kLine, kCmdHold, "&Hold", "Ctrl+H", "hold", true, false},
    {kLine, kCmdHoldMusic, "Hold &On-Hold", "Ctrl+Shift+H", nullptr, false, false},
    {kLine, kCmdDialNumber, "D&ial the Number", "Ctrl+D", "dial", true, false},
    {kLine, kCmdLegal, "&Answer Instead of Recording", "Ctrl+L", nullptr, false, true},
    {kLine, 0, nullptr, nullptr, nullptr, false, false},
    {kLine, kCmdDisable, "&Disable", nullptr, nullptr, false, false},

    {kSound, kCmdMute, "Mu&te", nullptr, nullptr, false, true},
    {kSound, kCmdAgc, "&AGC", nullptr, nullptr, false, true},

    {kTools, kCmdRecordGreeting, "Record &Greeting...", nullptr, nullptr, false, false},
    {kTools, kCmdOptions, "&Configuration...", nullptr, nullptr, false, false},
    {kTools, kCmdDiagnostics, "D&iagnostics...", nullptr, nullptr, false, false},

    {kHelp, kCmdHelp, "&Contents", "F1", nullptr, false, false},
    {kHelp, kCmdAbout, "A&bout...", nullptr, nullptr, false, false},
};

} // namespace

CMainMenu::CMainMenu(QMainWindow& window, std::function<void(int)> onCommand) : QObject(&window) {
    m_pToolBar = window.addToolBar(tr("Call buttons"));
    m_pToolBar->setObjectName("CallButtons");
    m_pToolBar->setAccessibleName(tr("Call buttons"));
    m_pToolBar->setMovable(false);
    m_pToolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QMenu* menu = nullptr;
    const char* menuName = nullptr;
    for (const MenuItem& item : kItems) {
        if (item.menu != menuName) {
            menuName = item.menu;
            menu = window.menuBar()->addMenu(tr(item.menu));
        }
        if (item.nId == 0) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(tr(item.text));
        action->setObjectName(QString("cmd%1").arg(item.nId));
        if (item.shortcut)
            action->setShortcut(QKeySequence(QString::fromLatin1(item.shortcut)));
        action->setCheckable(item.bCheckable);
        action->setProperty("iconName", item.icon ? QString::fromLatin1(item.icon) : QString());
        const int nId = item.nId;
        connect(action, &QAction::triggered, this, [onCommand, nId] { onCommand(nId); });
        if (item.bToolbar)
            m_pToolBar->addAction(action);
        m_actions.insert(nId, action);
    }
    // The button that shows the buttons a narrow window has no room for.
    if (auto* more = m_pToolBar->findChild<QWidget*>("qt_toolbar_ext_button"))
        more->setAccessibleName(tr("More call buttons"));
    ApplyIcons(window.palette());
}

void CMainMenu::ApplyIcons(const QPalette& palette) {
    for (QAction* action : std::as_const(m_actions)) {
        const QString name = action->property("iconName").toString();
        if (!name.isEmpty())
            action->setIcon(MainIcon(name, palette));
    }
}

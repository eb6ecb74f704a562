#include "main/MainMenu.h"

#include "app/CommandIds.h"
#include "main/MainIcons.h"

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>

namespace {

// The texts are marked for the translation template here and translated
// where the actions are made.
struct MenuItem {
    const char* menu;     // the menu it is in; nullptr: a separator in the last one
    int nId;              // 0 with menu set: a separator
    const char* text;     // with its mnemonic
    const char* shortcut; // portable text ("Ctrl+R"), or nullptr
    const char* icon;     // file in icons/, or nullptr
    bool bToolbar;
    bool bCheckable;
};

constexpr const char* kCalls = QT_TRANSLATE_NOOP("CMainMenu", "&Calls");
constexpr const char* kLine = QT_TRANSLATE_NOOP("CMainMenu", "&Line");
constexpr const char* kSound = QT_TRANSLATE_NOOP("CMainMenu", "S&ound");
constexpr const char* kTools = QT_TRANSLATE_NOOP("CMainMenu", "&Tools");
constexpr const char* kHelp = QT_TRANSLATE_NOOP("CMainMenu", "&Help");

constexpr MenuItem kItems[] = {
    {kCalls, kCmdPlay, QT_TRANSLATE_NOOP("CMainMenu", "&Play"), "Ctrl+P", "play", true, false},
    {kCalls, kCmdPlayAFile, QT_TRANSLATE_NOOP("CMainMenu", "&Play a File..."), "Ctrl+Shift+P",
     nullptr, false, false},
    {kCalls, kCmdSaveAs, QT_TRANSLATE_NOOP("CMainMenu", "Save &as..."), "Ctrl+S", "save", true,
     false},
    {kCalls, kCmdMoveToFolder, QT_TRANSLATE_NOOP("CMainMenu", "&Move to Folder..."), "Ctrl+M",
     nullptr, false, false},
    {kCalls, kCmdSendTo, QT_TRANSLATE_NOOP("CMainMenu", "S&end To..."), "Ctrl+E", "send", true,
     false},
    {kCalls, kCmdEditRecording, QT_TRANSLATE_NOOP("CMainMenu", "Edit &recording..."),
     "Ctrl+Shift+E", nullptr, false, false},
    {kCalls, kCmdDelete, QT_TRANSLATE_NOOP("CMainMenu", "&Delete"), "Del", "delete", true, false},
    {kCalls, 0, nullptr, nullptr, nullptr, false, false},
    {kCalls, kCmdFind, QT_TRANSLATE_NOOP("CMainMenu", "&Find"), "Ctrl+F", nullptr, false, false},
    {kCalls, kCmdExportXml, QT_TRANSLATE_NOOP("CMainMenu", "&Export Calls to XML"), "Ctrl+Shift+X",
     nullptr, false, false},
    {kCalls, kCmdPrint, QT_TRANSLATE_NOOP("CMainMenu", "Prin&t"), nullptr, nullptr, false, false},
    {kCalls, 0, nullptr, nullptr, nullptr, false, false},
    {kCalls, kCmdRestart, QT_TRANSLATE_NOOP("CMainMenu", "&Restart"), "Ctrl+Shift+R", nullptr,
     false, false},
    {kCalls, kCmdExit, QT_TRANSLATE_NOOP("CMainMenu", "E&xit"), "Ctrl+Q", nullptr, false, false},

    {kLine, kCmdTalk, QT_TRANSLATE_NOOP("CMainMenu", "A&nswer"), "Ctrl+Shift+A", "answer", true,
     false},
    {kLine, kCmdRecord, QT_TRANSLATE_NOOP("CMainMenu", "&Record"), "Ctrl+R", "record", true, false},
    {kLine, kCmdStopRecording, QT_TRANSLATE_NOOP("CMainMenu", "&Stop"), "Ctrl+.", "stop", true,
     false},
    {kLine, kCmdUpdate, QT_TRANSLATE_NOOP("CMainMenu", "&Update"), "Ctrl+U", "update", true, false},
    {kLine, 0, nullptr, nullptr, nullptr, false, false},
    {kLine, kCmdHold, QT_TRANSLATE_NOOP("CMainMenu", "&Hold"), "Ctrl+H", "hold", true, false},
    {kLine, kCmdHoldMusic, QT_TRANSLATE_NOOP("CMainMenu", "Hold &On-Hold"), "Ctrl+Shift+H", nullptr,
     false, false},
    {kLine, kCmdDialNumber, QT_TRANSLATE_NOOP("CMainMenu", "D&ial the Number"), "Ctrl+D", "dial",
     true, false},
    {kLine, kCmdLegal, QT_TRANSLATE_NOOP("CMainMenu", "&Answer Instead of Recording"), "Ctrl+L",
     nullptr, false, true},
    {kLine, 0, nullptr, nullptr, nullptr, false, false},
    {kLine, kCmdDisable, QT_TRANSLATE_NOOP("CMainMenu", "&Disable"), nullptr, nullptr, false,
     false},

    {kSound, kCmdMute, QT_TRANSLATE_NOOP("CMainMenu", "Mu&te"), nullptr, nullptr, false, true},
    {kSound, kCmdAgc, QT_TRANSLATE_NOOP("CMainMenu", "&AGC"), nullptr, nullptr, false, true},

    {kTools, kCmdRecordGreeting, QT_TRANSLATE_NOOP("CMainMenu", "Record &Greeting..."), nullptr,
     nullptr, false, false},
    {kTools, kCmdOptions, QT_TRANSLATE_NOOP("CMainMenu", "&Configuration..."), nullptr, nullptr,
     false, false},
    {kTools, kCmdDiagnostics, QT_TRANSLATE_NOOP("CMainMenu", "D&iagnostics..."), nullptr, nullptr,
     false, false},
    {kTools, kCmdContacts, QT_TRANSLATE_NOOP("CMainMenu", "C&ontacts..."), nullptr, nullptr, false,
     false},

    {kHelp, kCmdHelp, QT_TRANSLATE_NOOP("CMainMenu", "&Contents"), "F1", nullptr, false, false},
    {kHelp, kCmdAbout, QT_TRANSLATE_NOOP("CMainMenu", "A&bout..."), nullptr, nullptr, false, false},
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

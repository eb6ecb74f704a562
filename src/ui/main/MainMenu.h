// The main window's commands: one table gives each its menu, text with
// mnemonic, shortcut, toolbar place and picture, so the menu, the toolbar
// and the keyboard always offer the same commands.
#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QAction;
class QMainWindow;
class QPalette;
class QToolBar;

class CMainMenu : public QObject {
    Q_OBJECT
public:
    // Builds the menu bar and the toolbar of window; every action calls
    // onCommand with its command id.
    CMainMenu(QMainWindow& window, std::function<void(int)> onCommand);

    QAction* Action(int nId) const { return m_actions.value(nId); }
    QToolBar* ToolBar() const { return m_pToolBar; }
    // Draws the pictures again in the palette's colours.
    void ApplyIcons(const QPalette& palette);

private:
    QHash<int, QAction*> m_actions;
    QToolBar* m_pToolBar = nullptr;
};

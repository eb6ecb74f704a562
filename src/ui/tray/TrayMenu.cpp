#include "ui/tray/TrayMenu.h"

#include "app/CommandIds.h"

#include <QCoreApplication>

#include <vector>

namespace {
// The table's texts are marked for the translation template with their
// context; the translation happens when the menu is made.
QString Translated(const char* text) {
    return QCoreApplication::translate("TrayMenu", text);
}
} // namespace

const TrayMenuItem kTrayMenu[] = {
    {TrayMenuItem::Command, nullptr, kCmdShowMainWindow}, // the product name
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::SubMenu, QT_TRANSLATE_NOOP("TrayMenu", "&Help"), 0},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Contents"), kCmdHelp},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "A&bout..."), kCmdAbout},
    {TrayMenuItem::EndSubMenu, nullptr, 0},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Record"), kCmdRecord},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Stop"), kCmdStopRecording},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Play"), kCmdPlay},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Disable"), kCmdDisable},
    // The status menu sits with the monitoring switch it belongs to.
    {TrayMenuItem::SubMenu, QT_TRANSLATE_NOOP("TrayMenu", "S&tatus"), 0},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Online\tCall Alert only"), kCmdOnline},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "A&way\tAnswering Machine"), kCmdAway},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Busy\tMute sounds"), kCmdBusy},
    {TrayMenuItem::Command,
     QT_TRANSLATE_NOOP("TrayMenu", "&Do Not Disturb\tSuppress all sounds and visuals"),
     kCmdDoNotDisturb},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "O&ffline\tRelease the modem"),
     kCmdOffline},
    {TrayMenuItem::EndSubMenu, nullptr, 0},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "Block the &last caller"),
     kCmdBlockLastCaller},
    {TrayMenuItem::Check, QT_TRANSLATE_NOOP("TrayMenu", "Pa&use call screening"),
     kCmdPauseScreening},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "&Configuration..."), kCmdOptions},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "D&iagnostics..."), kCmdDiagnostics},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, QT_TRANSLATE_NOOP("TrayMenu", "E&xit"), kCmdExit},
};
const size_t kTrayMenuSize = std::size(kTrayMenu);

std::unique_ptr<QMenu> MakeTrayMenu(const QString& sProduct,
                                    const std::function<void(int)>& onCommand) {
    auto menu = std::make_unique<QMenu>();
    std::vector<QMenu*> open{menu.get()};
    for (const TrayMenuItem& item : kTrayMenu) {
        QMenu* into = open.back();
        switch (item.kind) {
        case TrayMenuItem::Separator:
            into->addSeparator();
            break;
        case TrayMenuItem::SubMenu:
            open.push_back(into->addMenu(Translated(item.text)));
            break;
        case TrayMenuItem::EndSubMenu:
            open.pop_back();
            break;
        case TrayMenuItem::Command:
        case TrayMenuItem::Check: {
            const bool bProduct = item.text == nullptr;
            QAction* action = into->addAction(bProduct ? sProduct : Translated(item.text));
            const int id = item.nCommand;
            action->setData(id);
            action->setCheckable(item.kind == TrayMenuItem::Check);
            QObject::connect(action, &QAction::triggered, menu.get(),
                             [onCommand, id] { onCommand(id); });
            if (bProduct) {
                QFont bold = action->font();
                bold.setBold(true);
                action->setFont(bold);
                menu->setDefaultAction(action);
            }
            break;
        }
        }
    }
    return menu;
}

QAction* TrayMenuAction(const QMenu& menu, int nCommand) {
    for (QAction* action : menu.findChildren<QAction*>())
        if (action->data().toInt() == nCommand && nCommand != 0)
            return action;
    return nullptr;
}

#include "ui/tray/TrayMenu.h"

#include "app/CommandIds.h"

#include <vector>

const TrayMenuItem kTrayMenu[] = {
    {TrayMenuItem::Command, nullptr, kCmdShowMainWindow}, // the product name
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::SubMenu, "&Help", 0},
    {TrayMenuItem::Command, "&Contents", kCmdHelp},
    {TrayMenuItem::Command, "A&bout...", kCmdAbout},
    {TrayMenuItem::EndSubMenu, nullptr, 0},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, "&Record", kCmdRecord},
    {TrayMenuItem::Command, "&Stop", kCmdStopRecording},
    {TrayMenuItem::Command, "&Play", kCmdPlay},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, "&Disable", kCmdDisable},
    // The status menu sits with the monitoring switch it belongs to.
    {TrayMenuItem::SubMenu, "S&tatus", 0},
    {TrayMenuItem::Command, "&Online\tCall Alert only", kCmdOnline},
    {TrayMenuItem::Command, "A&way\tAnswering Machine", kCmdAway},
    {TrayMenuItem::Command, "&Busy\tMute sounds", kCmdBusy},
    {TrayMenuItem::Command, "&Do Not Disturb\tSuppress all sounds and visuals", kCmdDoNotDisturb},
    {TrayMenuItem::Command, "O&ffline\tRelease the modem", kCmdOffline},
    {TrayMenuItem::EndSubMenu, nullptr, 0},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, "&Configuration...", kCmdOptions},
    {TrayMenuItem::Command, "D&iagnostics...", kCmdDiagnostics},
    {TrayMenuItem::Separator, nullptr, 0},
    {TrayMenuItem::Command, "E&xit", kCmdExit},
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
            open.push_back(into->addMenu(QString::fromUtf8(item.text)));
            break;
        case TrayMenuItem::EndSubMenu:
            open.pop_back();
            break;
        case TrayMenuItem::Command: {
            const bool bProduct = item.text == nullptr;
            QAction* action = into->addAction(bProduct ? sProduct : QString::fromUtf8(item.text));
            const int id = item.nCommand;
            QObject::connect(action, &QAction::triggered, menu.get(), [onCommand, id] { onCommand(id); });
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

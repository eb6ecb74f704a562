// The tray menu: its items in their order, as a table, and the QMenu made
// from it. Every item sends its command id to the hidden window.
#pragma once

#include <QMenu>
#include <functional>
#include <memory>

struct TrayMenuItem {
    enum Kind { Command, Check, Separator, SubMenu, EndSubMenu };
    Kind kind;
    const char* text; // with its "&" mnemonic; "\t" starts a right-hand note;
                      // translated in the context "TrayMenu"
    int nCommand;
};

// The tray menu with the "&Help" and status sub-menus.
extern const TrayMenuItem kTrayMenu[];
extern const size_t kTrayMenuSize;

// Builds the menu; choosing an item calls onCommand(id). The product item
// (the bold default) is named by sProduct. Each item's action carries its
// command id as its data (TrayMenuAction finds it).
std::unique_ptr<QMenu> MakeTrayMenu(const QString& sProduct,
                                    const std::function<void(int)>& onCommand);
// The action of the item with that command id (null when there is none).
QAction* TrayMenuAction(const QMenu& menu, int nCommand);

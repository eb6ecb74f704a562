// The tree of call folders: "Recorded Calls" below the data folder and the
// folders the user made in it. Choosing one shows its calls. A data folder
// chosen later adds its call folder to the tree; the earlier ones stay, so
// their calls can still be browsed. Below them, "Calls" shows the call
// history: all calls, the missed and the blocked ones.
#pragma once

#include "screening/ScreeningTypes.h"

#include <QTreeWidget>

#include <optional>
#include <string>
#include <vector>

class CFolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CFolderTree(QWidget* parent = nullptr);

    // Lists the folders below sRoot ("…/Recorded Calls/") again, keeping the
    // selection when that folder is still there (else the root); sRoot
    // becomes the only call folder of the tree.
    void Fill(const std::string& sRoot);
    // Adds sRoot as a further call folder and makes it the one new folders
    // go into; the others stay. The new one is selected.
    void AddRoot(const std::string& sRoot);
    // Lists the folders below every call folder again.
    void Refill();
    void SetFolderIcon(const QIcon& icon);
    // The selected folder, with a trailing "/"; while the history is shown,
    // the folder chosen last.
    std::string SelectedFolder() const;
    bool Select(const std::string& sFolder);
    // The history's view shown (nothing: a call folder is).
    std::optional<HistoryFilter> SelectedCalls() const;
    void SelectCalls(HistoryFilter filter);
    // Every folder of the tree, each call folder before its sub-folders.
    std::vector<std::string> Folders() const;
    // The current data folder's call folder: where new folders are made.
    const std::string& Root() const { return m_sRoot; }
    const std::vector<std::string>& Roots() const { return m_roots; }

signals:
    void folderSelected(const std::string& sFolder);
    void callsSelected(HistoryFilter filter);

private:
    void AddChildren(QTreeWidgetItem* parent, const std::string& sPath, int nDepth);
    void AddCalls();
    void OnCurrent(QTreeWidgetItem* item);

    std::string m_sRoot;
    std::vector<std::string> m_roots; // every call folder, in the order added
    std::string m_sLastFolder;        // the folder chosen last
    QIcon m_icon;
};

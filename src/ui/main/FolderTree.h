// The tree of call folders: "Recorded Calls" below the data folder and the
// folders the user made in it. Choosing one shows its calls.
#pragma once

#include <QTreeWidget>

#include <string>

class CFolderTree : public QTreeWidget {
    Q_OBJECT
public:
    explicit CFolderTree(QWidget* parent = nullptr);

    // Lists the folders below sRoot ("…/Recorded Calls/") again, keeping the
    // selection when that folder is still there (else the root).
    void Fill(const std::string& sRoot);
    void SetFolderIcon(const QIcon& icon);
    // The selected folder, with a trailing "/".
    std::string SelectedFolder() const;
    bool Select(const std::string& sFolder);
    // Every folder of the tree, the root first.
    std::vector<std::string> Folders() const;
    const std::string& Root() const { return m_sRoot; }

signals:
    void folderSelected(const std::string& sFolder);

private:
    void AddChildren(QTreeWidgetItem* parent, const std::string& sPath, int nDepth);

    std::string m_sRoot;
    QIcon m_icon;
};

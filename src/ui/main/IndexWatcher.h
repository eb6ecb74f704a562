// Tells when the shown folder's index changed on disk, whoever changed it:
// this program's worker, the service, or a script. The index is replaced
// through a rename, so both the file and its folder are watched; a cheap
// look at the file's identity, size and time filters out the folder's
// other traffic (a recording growing beside it).
#pragma once

#include <QFileSystemWatcher>
#include <QObject>

#include <string>

class CIndexWatcher : public QObject {
    Q_OBJECT
public:
    explicit CIndexWatcher(QObject* parent = nullptr);

    // Watches sIndexPath from now on; the file as it is now is "seen".
    void Watch(const std::string& sIndexPath);
    // Records the file as it is now as seen (after reading it).
    void MarkSeen();
    // The file differs from what was last seen.
    bool HasChanged() const;

signals:
    void changed();

private:
    struct Stamp {
        bool bExists = false;
        unsigned long long nInode = 0, nSize = 0;
        long long nMtimeNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    Stamp Now() const;
    void AddPaths();
    void Look();

    QFileSystemWatcher m_watcher;
    std::string m_sPath;
    Stamp m_seen;
};

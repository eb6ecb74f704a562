#include "main/IndexWatcher.h"

#include <sys/stat.h>

CIndexWatcher::CIndexWatcher(QObject* parent) : QObject(parent) {
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CIndexWatcher::Look);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CIndexWatcher::Look);
}

void CIndexWatcher::Watch(const std::string& sIndexPath) {
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    if (!m_watcher.directories().isEmpty())
        m_watcher.removePaths(m_watcher.directories());
    m_sPath = sIndexPath;
    AddPaths();
    MarkSeen();
}

void CIndexWatcher::AddPaths() {
    // The file and its folder, or, while the folder is not there yet (the
    // first start), the nearest folder above it that is: its making shows.
    // Only one folder is watched, so a busy folder above (the program
    // folder with its log) stops costing anything once the call folder is there.
    std::string folder = m_sPath;
    QString watch;
    do {
        const size_t slash = folder.find_last_of('/');
        folder = slash == std::string::npos ? "." : slash == 0 ? "/" : folder.substr(0, slash);
        struct stat st {};
        if (::stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            watch = QString::fromStdString(folder);
            break;
        }
    } while (folder != "/" && folder != ".");
    const QStringList dirs = m_watcher.directories();
    if (dirs != QStringList{watch}) {
        if (!dirs.isEmpty())
            m_watcher.removePaths(dirs);
        if (!watch.isEmpty())
            m_watcher.addPath(watch);
    }
    const QString file = QString::fromStdString(m_sPath);
    if (!m_watcher.files().contains(file))
        m_watcher.addPath(file); // fails quietly while missing
}

CIndexWatcher::Stamp CIndexWatcher::Now() const {
    Stamp s;
    struct stat st {};
    if (m_sPath.empty() || ::stat(m_sPath.c_str(), &st) != 0)
        return s;
    s.bExists = true;
    s.nInode = st.st_ino;
    s.nSize = static_cast<unsigned long long>(st.st_size);
    s.nMtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    return s;
}

void CIndexWatcher::MarkSeen() {
    m_seen = Now();
}

bool CIndexWatcher::HasChanged() const {
    return !(Now() == m_seen);
}

void CIndexWatcher::Look() {
    // A replaced file is a new one, a new folder may have come: watch again.
    AddPaths();
    if (HasChanged())
        emit changed();
}

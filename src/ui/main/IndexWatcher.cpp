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
    const size_t slash = sIndexPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : sIndexPath.substr(0, slash);
    m_watcher.addPath(QString::fromStdString(folder));
    m_watcher.addPath(QString::fromStdString(sIndexPath)); // fails quietly while missing
    MarkSeen();
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
    // A replaced file is a new one: watch it again.
    const QString file = QString::fromStdString(m_sPath);
    if (!m_watcher.files().contains(file))
        m_watcher.addPath(file);
    if (HasChanged())
        emit changed();
}

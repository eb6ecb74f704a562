#include "main/FolderTree.h"

#include "platform/ProgramFolder.h"

#include <QHeaderView>

#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>

namespace {

constexpr int kPathRole = Qt::UserRole + 1;
// The history's items: their filter plus one (folders have none).
constexpr int kCallsRole = Qt::UserRole + 2;
// A call folder is a few levels deep at most; a link loop stops here.
constexpr int kMaxDepth = 6;

std::vector<std::string> SubFolders(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir)
        return names;
    while (dirent* e = ::readdir(dir)) {
        const std::string name = e->d_name;
        if (name.empty() || name[0] == '.')
            continue;
        struct stat st {};
        if (::stat((path + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode))
            names.push_back(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

CFolderTree::CFolderTree(QWidget* parent) : QTreeWidget(parent) {
    setObjectName("FolderTree");
    setHeaderHidden(true);
    setColumnCount(1);
    setAccessibleName(tr("Call folders"));
    header()->setStretchLastSection(true);
    connect(this, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* item, QTreeWidgetItem*) { OnCurrent(item); });
}

void CFolderTree::OnCurrent(QTreeWidgetItem* item) {
    if (!item)
        return;
    if (const int calls = item->data(0, kCallsRole).toInt()) {
        emit callsSelected(static_cast<HistoryFilter>(calls - 1));
        return;
    }
    m_sLastFolder = item->data(0, kPathRole).toString().toStdString();
    emit folderSelected(m_sLastFolder);
}

void CFolderTree::AddCalls() {
    auto* all = new QTreeWidgetItem(this, {tr("Calls")});
    all->setData(0, kCallsRole, static_cast<int>(HistoryFilter::All) + 1);
    all->setToolTip(0, tr("Every call that rang, answered or not"));
    auto* missed = new QTreeWidgetItem(all, {tr("Missed")});
    missed->setData(0, kCallsRole, static_cast<int>(HistoryFilter::Missed) + 1);
    auto* blocked = new QTreeWidgetItem(all, {tr("Blocked")});
    blocked->setData(0, kCallsRole, static_cast<int>(HistoryFilter::Blocked) + 1);
}

std::optional<HistoryFilter> CFolderTree::SelectedCalls() const {
    QTreeWidgetItem* item = currentItem();
    const int calls = item ? item->data(0, kCallsRole).toInt() : 0;
    if (!calls)
        return std::nullopt;
    return static_cast<HistoryFilter>(calls - 1);
}

void CFolderTree::SelectCalls(HistoryFilter filter) {
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if ((*it)->data(0, kCallsRole).toInt() == static_cast<int>(filter) + 1) {
            setCurrentItem(*it);
            return;
        }
}

void CFolderTree::SetFolderIcon(const QIcon& icon) {
    m_icon = icon;
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if (!(*it)->data(0, kCallsRole).toInt())
            (*it)->setIcon(0, icon);
}

void CFolderTree::AddChildren(QTreeWidgetItem* parent, const std::string& sPath, int nDepth) {
    if (nDepth >= kMaxDepth)
        return;
    for (const std::string& name : SubFolders(sPath)) {
        auto* item = new QTreeWidgetItem(parent, {QString::fromStdString(name)});
        const std::string path = sPath + name + "/";
        item->setData(0, kPathRole, QString::fromStdString(path));
        item->setIcon(0, m_icon);
        AddChildren(item, path, nDepth + 1);
    }
}

void CFolderTree::Fill(const std::string& sRoot) {
    m_sRoot = WithTrailingSlash(sRoot);
    m_roots = {m_sRoot};
    Refill();
}

void CFolderTree::AddRoot(const std::string& sRoot) {
    m_sRoot = WithTrailingSlash(sRoot);
    if (std::find(m_roots.begin(), m_roots.end(), m_sRoot) == m_roots.end())
        m_roots.push_back(m_sRoot);
    Refill();
    Select(m_sRoot);
}

void CFolderTree::Refill() {
    const std::string keep = SelectedFolder();
    const std::optional<HistoryFilter> keepCalls = SelectedCalls();
    const QSignalBlocker block(this);
    clear();
    for (const std::string& sRoot : m_roots) {
        // Two call folders both show as "Recorded Calls": the others say
        // where they are.
        std::string name = sRoot.substr(0, sRoot.size() - 1);
        if (sRoot == m_sRoot || m_roots.size() == 1)
            name = name.substr(name.find_last_of('/') + 1);
        auto* root = new QTreeWidgetItem(this, {QString::fromStdString(name)});
        root->setData(0, kPathRole, QString::fromStdString(sRoot));
        root->setIcon(0, m_icon);
        root->setToolTip(0, QString::fromStdString(sRoot));
        AddChildren(root, sRoot, 0);
    }
    AddCalls();
    expandAll();
    if (keep.empty() || !Select(keep))
        Select(m_sRoot);
    if (keepCalls)
        SelectCalls(*keepCalls);
}

std::string CFolderTree::SelectedFolder() const {
    return m_sLastFolder;
}

bool CFolderTree::Select(const std::string& sFolder) {
    const QString want = QString::fromStdString(WithTrailingSlash(sFolder));
    for (QTreeWidgetItemIterator it(this); *it; ++it)
        if ((*it)->data(0, kPathRole).toString() == want) {
            setCurrentItem(*it);
            // Chosen also while the signals are blocked (a refill).
            m_sLastFolder = want.toStdString();
            return true;
        }
    return false;
}

std::vector<std::string> CFolderTree::Folders() const {
    std::vector<std::string> out;
    for (QTreeWidgetItemIterator it(const_cast<CFolderTree*>(this)); *it; ++it)
        if (!(*it)->data(0, kCallsRole).toInt())
            out.push_back((*it)->data(0, kPathRole).toString().toStdString());
    return out;
}

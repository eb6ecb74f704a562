#include "web/FolderRows.h"

#include "calllog/DataStructure.h"

#include <algorithm>
#include <sys/stat.h>

namespace {

FolderRows Made(const std::string& sIndex, const std::string& sSearch) {
    FolderRows result;
    CDataStructureArray index;
    index.Load(sIndex);
    if (index.LoadFailed()) {
        result.rows = std::make_shared<const std::vector<CallListRow>>();
        result.sError = index.LastError();
        return result;
    }
    std::vector<CallListRow> rows = CallListRows(index, sSearch);
    std::reverse(rows.begin(), rows.end());
    result.rows = std::make_shared<const std::vector<CallListRow>>(std::move(rows));
    return result;
}

} // namespace

FolderRows CFolderRowsCache::Read(const std::string& sFolder, const std::string& sSearch) {
    const std::string path = sFolder + "index.dat";
    struct stat st {};
    // A folder without an index, or one being searched, is read as it is.
    if (!sSearch.empty() || ::stat(path.c_str(), &st) != 0)
        return Made(path, sSearch);
    const Stamp stamp{static_cast<uintmax_t>(st.st_size),
                      int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec,
                      static_cast<uintmax_t>(st.st_ino)};
    {
        std::lock_guard lock(m_mutex);
        auto it = m_kept.find(sFolder);
        if (it != m_kept.end() && it->second.stamp == stamp)
            return {it->second.rows, {}};
    }
    FolderRows made = Made(path, sSearch);
    if (made.sError.empty()) {
        std::lock_guard lock(m_mutex);
        m_kept[sFolder] = {stamp, made.rows};
    }
    return made;
}

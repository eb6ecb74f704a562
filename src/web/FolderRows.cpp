#include "web/FolderRows.h"

#include "calllog/DataStructure.h"

#include <sys/stat.h>

namespace {

FolderRows Made(const std::string& sIndex) {
    FolderRows result;
    CDataStructureArray index;
    index.Load(sIndex);
    if (index.LoadFailed()) {
        result.list = std::make_shared<const CSearchableCallList>();
        result.sError = index.LastError();
        return result;
    }
    result.list = std::make_shared<const CSearchableCallList>(index);
    return result;
}

} // namespace

size_t FolderRows::Size() const {
    return found ? found->size() : list->Rows().size();
}

const CallListRow& FolderRows::Row(size_t i) const {
    const size_t last = Size() - 1;
    return list->Rows()[found ? (*found)[last - i] : last - i];
}

std::vector<CallListRow> FolderRows::Copy() const {
    std::vector<CallListRow> rows;
    rows.reserve(Size());
    for (size_t i = 0; i < Size(); ++i)
        rows.push_back(Row(i));
    return rows;
}

FolderRows CFolderRowsCache::All(const std::string& sFolder) {
    const std::string path = sFolder + "index.dat";
    struct stat st {};
    // A folder without an index is read as it is.
    if (::stat(path.c_str(), &st) != 0)
        return Made(path);
    const Stamp stamp{static_cast<uintmax_t>(st.st_size),
                      int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec,
                      static_cast<uintmax_t>(st.st_ino)};
    {
        std::lock_guard lock(m_mutex);
        auto it = m_kept.find(sFolder);
        if (it != m_kept.end() && it->second.stamp == stamp)
            return {it->second.list, std::nullopt, {}};
    }
    FolderRows made = Made(path);
    if (made.sError.empty()) {
        std::lock_guard lock(m_mutex);
        m_kept[sFolder] = {stamp, made.list};
    }
    return made;
}

FolderRows CFolderRowsCache::Read(const std::string& sFolder, const std::string& sSearch) {
    FolderRows rows = All(sFolder);
    if (!sSearch.empty())
        rows.found = rows.list->Matching(sSearch);
    return rows;
}

bool CFolderRowsCache::Lists(const std::string& sFolder, const std::string& sFile) {
    return All(sFolder).list->Find(sFile) >= 0;
}

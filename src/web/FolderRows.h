// The rows of a call folder's list as the page shows them, newest first,
// searched (sSearch) or all. The unsearched list of each folder is kept
// between requests and made again only when the folder's index changed on
// disk (another size, time or file), so that paging through a big folder
// reads only its page's slice; a search reads the index each time.
#pragma once

#include "calllog/CallList.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

struct FolderRows {
    std::shared_ptr<const std::vector<CallListRow>> rows; // newest first; never null
    std::string sError;                                   // why the index could not be read
};

class CFolderRowsCache {
public:
    FolderRows Read(const std::string& sFolder, const std::string& sSearch);

private:
    struct Stamp {
        uintmax_t nSize = 0;
        int64_t nTime = 0;
        uintmax_t nFile = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Kept {
        Stamp stamp;
        std::shared_ptr<const std::vector<CallListRow>> rows;
    };
    std::mutex m_mutex;
    std::map<std::string, Kept> m_kept; // by folder
};

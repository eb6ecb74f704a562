// The rows of a call folder's list as the page shows them, newest first,
// searched (sSearch) or all. Each folder's list is kept between requests,
// with the text a search looks in, and made again only when the folder's
// index changed on disk (another size, time or file): paging, searching and
// the player's check that a recording is listed read no index.
#pragma once

#include "calllog/CallList.h"

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct FolderRows {
    std::shared_ptr<const CSearchableCallList> list; // never null
    // A search's rows: their positions in list->Rows(), oldest first.
    std::optional<std::vector<size_t>> found;
    std::string sError; // why the index could not be read

    size_t Size() const;
    const CallListRow& Row(size_t i) const; // the i-th newest
    std::vector<CallListRow> Copy() const;  // newest first
};

class CFolderRowsCache {
public:
    FolderRows Read(const std::string& sFolder, const std::string& sSearch);
    // Whether the folder's index lists the recording sFile.
    bool Lists(const std::string& sFolder, const std::string& sFile);

private:
    struct Stamp {
        uintmax_t nSize = 0;
        int64_t nTime = 0;
        uintmax_t nFile = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Kept {
        Stamp stamp;
        std::shared_ptr<const CSearchableCallList> list;
    };
    // The folder's whole list, kept or made.
    FolderRows All(const std::string& sFolder);

    std::mutex m_mutex;
    std::map<std::string, Kept> m_kept; // by folder
};

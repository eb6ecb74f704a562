// The index reader takes whatever is in index.dat. Every record it reads
// must also survive being written and read again, unchanged but for
// whitespace at the ends of its fields, which reading always trims.
#include "calllog/DataStructure.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view all(reinterpret_cast<const char*>(data), size);
    size_t pos = 0;
    while (pos <= all.size()) {
        size_t end = all.find('\n', pos);
        if (end == std::string_view::npos)
            end = all.size();
        CDataStructure rec = ParseIndexLine(all.substr(pos, end - pos));
        std::string line = FormatIndexLine(rec);
        if (line.find_first_of("\r\n") != std::string::npos)
            std::abort(); // a record must stay on one line
        for (std::string* f : {&rec.m_sFile, &rec.m_sTime, &rec.m_sDate, &rec.m_sNumber,
                               &rec.m_sName, &rec.m_sMemo, &rec.m_sExtra})
            *f = std::string(TrimIndexField(*f));
        if (!(ParseIndexLine(line) == rec))
            std::abort(); // what was read must read back the same
        pos = end + 1;
    }
    return 0;
}

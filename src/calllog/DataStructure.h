// The call record and the call index "index.dat" beside the recordings.
//
// One line per recording, eleven fields, every one in double quotes:
//   "file","time","date","number","name","memo","extra","length","0","0","message"
// Carriage returns and line feeds inside fields are written as the two
// characters \r and \n, so that a record is always one line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CDataStructure {
public:
    virtual ~CDataStructure() = default;

    std::string m_sFile;   // recording's file name, no folder: the record's key
    std::string m_sTime;   // call time, user's locale, no seconds
    std::string m_sDate;   // call date, user's locale short date
    std::string m_sNumber; // caller's number as shown
    std::string m_sName;   // caller's name ("From")
    std::string m_sMemo;   // may hold line breaks
    std::string m_sExtra;  // kept as loaded; empty for new records
    int32_t m_nLength = 0; // seconds
    int32_t m_nReserved1 = 0;
    int32_t m_nReserved2 = 0;
    int32_t m_bMessage = 0; // 1 for an answering-machine message
    // Carried along with a record but never stored in the index.
    uint8_t m_bFlagA = 0;
    uint8_t m_bFlagB = 0;
    std::string m_sPath;

    bool operator==(const CDataStructure& o) const;
};

// The record as one index line, without the line end.
std::string FormatIndexLine(const CDataStructure& rec);
// A field without the whitespace reading takes off its ends (blank, tab,
// CR, LF, VT, FF): the form any field text has after writing and reading.
std::string_view TrimIndexField(std::string_view s);
// One line of an index (line end included or not) as a record. Never fails:
// a malformed line gives whatever fields could be read.
CDataStructure ParseIndexLine(std::string_view line);

// Why the index at sPath is not read: it is not a file, cannot be read, or
// is larger than any index we wrote.
std::string UnreadableIndexText(const std::string& sPath);

class CDataStructureArray {
public:
    // The largest index Load reads; anything beyond is not an index we wrote
    // (100,000 calls take about 15 MB).
    static constexpr size_t kMaxIndexSize = size_t(512) << 20;

    // Reads the index at sPath, replacing the contents; returns the number of
    // records. A missing file gives 0 and an empty array. When the file
    // exists but cannot be read, LoadFailed() tells, so that nobody saves the
    // empty array over records that are still on disk.
    int Load(const std::string& sPath);
    // Writes every record to sPath (m_sFileName when empty) through a new
    // file renamed over the old one: on any failure the old index stays whole
    // and Save returns false.
    bool Save(const std::string& sPath = std::string());

    int Find(std::string_view sFile) const;
    bool Remove(std::string_view sFile);
    CDataStructure Get(std::string_view sFile) const;
    void Set(std::string_view sFile, const CDataStructure& rec);

    // Out-of-range indexes throw std::out_of_range.
    const CDataStructure& GetAt(int i) const { return m_data.at(static_cast<size_t>(i)); }
    CDataStructure& GetAt(int i) { return m_data.at(static_cast<size_t>(i)); }
    int GetSize() const { return static_cast<int>(m_data.size()); }
    void Add(const CDataStructure& rec);
    void RemoveAll() { m_data.clear(); }
    void SetGrowBy(int n) { m_nGrowBy = n; }

    bool LoadFailed() const { return m_bLoadFailed; }
    const std::string& LastError() const { return m_sLastError; }

    std::string m_sFileName; // the index last loaded

private:
    std::vector<CDataStructure> m_data;
    int m_nGrowBy = 0;
    bool m_bLoadFailed = false;
    std::string m_sLastError;
};

// A call index of n made-up calls, the same in every benchmark that needs a
// big call log: varied numbers and names, a memo on every tenth call, lengths
// up to an hour.
#pragma once

#include "calllog/DataStructure.h"

#include <string>

inline void WriteBenchIndex(const std::string& path, int n) {
    CDataStructureArray a;
    for (int i = 0; i < n; ++i) {
        CDataStructure r;
        r.m_sFile = "rec2026-" + std::to_string(i) + ", 10_00_00.wav";
        r.m_sTime = "10:00";
        r.m_sDate = "12/06/26";
        r.m_sNumber = "555" + std::to_string(i);
        r.m_sName = "Caller number " + std::to_string(i);
        r.m_sMemo = i % 10 == 0 ? "Call back about the \"offer\",\r\nafter five." : "";
        r.m_nLength = i % 3600;
        a.Add(r);
    }
    a.Save(path);
}

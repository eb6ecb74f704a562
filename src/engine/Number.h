// The caller data of one call.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

class CNumber {
public:
    std::string m_sNumber;        // number as stored; also the tray tooltip
    std::string m_sDisplayNumber; // number as shown
    std::string m_sName;          // caller name as shown: the contact's when the caller is one
    int32_t m_nKind = 0;          // ring count of the call
    std::string m_sTime;          // "hhmm", 24-hour
    std::string m_sDate;          // "MMddyyyy"
    std::string m_sCidNumber;     // number as the source delivered it (cleaned)
    std::string m_sCidMessage;    // other caller-ID text
    std::string m_sCidName;       // name as the source delivered it (kept beside a contact's)
    int32_t m_nCidNumber = 0;     // integer value of m_sCidNumber
    int32_t m_nClosed = 0;        // 1 once the rings of this call ended

    // Fields the main window's list and the contacts fill in.
    std::string m_sMemo;          // the user's note on the call
    std::string m_sGreeting;      // the caller's own greeting file, if any
    bool m_bChallenge = false;    // the machine asks the caller for a key first
    std::string m_sRingSound;     // the caller's own ring sound, if any
    int32_t m_nContactStatus = 0; // -10: use the common ring sound
    int64_t m_nContactId = 0;     // the contacts file's contact the caller is (0 none)
    bool m_bBlocked = false;      // screening keeps the caller from the user (never mailed)
    std::string m_sAnnouncement;  // text announced for the call
    std::string m_sRecording;     // the call's recording, once one is made (for its notice)
    std::string m_sRecordingProblem; // what went wrong with it ("the disk is full: ...")

    // Empties every string and zeroes every integer.
    void Reset() { *this = CNumber(); }
    // The number as the window's number field shows it.
    const std::string& Shown() const { return m_sDisplayNumber.empty() ? m_sNumber : m_sDisplayNumber; }
    bool operator==(const CNumber&) const = default;
};

// The run's list of calls (CCallState) keeps at most this many (the oldest go
// first), so a machine that records for months without mail notices stays bounded.
constexpr size_t kMaxRecentCalls = 500;

// The local time of t into m_sTime ("hhmm", 24-hour) and m_sDate ("MMddyyyy").
void StampCallTime(CNumber& call, std::time_t t = std::time(nullptr));

// The display form of a number: shorter than 6 characters unchanged;
// otherwise the text's length chooses the layout, filled with its digits:
// 7 "ddd-dddd", 10 "ddd-ddd-dddd", 11 "d ddd-ddd-dddd", other lengths the
// digits alone. A 7, 10 or 11 character text that is not all digits has too
// few digits for its layout and is returned unchanged.
std::string FormatDisplayNumber(std::string_view text);

// The "NA" rule: a call without a number shows "NA". Then the caller-ID
// number becomes the stored and the displayed number (not yet formatted: the
// call-list filter wants it as it came).
void ApplyNoNumberRule(CNumber& call);

// The display number laid out by FormatDisplayNumber when it starts with a digit.
void FormatCallDisplayNumber(CNumber& call);

// The call-list filter text for a display number: the number without blanks
// at its ends when it is longer than one character and not "NA", else "".
std::string CallListFilterFor(std::string_view displayNumber);

// SPDX-License-Identifier: GPL-3.0-or-later
// Shortens overlong display names in the address headers of SIP messages as
// their bytes arrive, before the SIP stack parses them.
//
// The stack in use takes a caller's From or To display name of about a
// thousand characters or more down with the whole process. A caller must
// not be able to do that, so every display name (the part of an address
// before its "<") is kept to kMaxDisplayName characters: what lies beyond
// is turned into spaces, with a quote put back where a quoted name was cut
// ("NNN...N"   <sip:...>). The length of the bytes never changes, so a
// stream needs no new framing, and the filter works on any split of it.
// An address without "<" that is that long is cut the same way; the stack
// then refuses the message as malformed.
#pragma once

#include <cstddef>
#include <string>

class CSipHeaderGuard {
public:
    static constexpr size_t kMaxDisplayName = 512;

    // Filters the next n bytes of the stream in place; returns how many
    // display names it began to cut in them.
    int Filter(char* data, size_t n);

private:
    enum class Where { LineStart, Name, Value, SkipLine };

    void StartValue();
    void StartElement();
    // Filters one byte of an address header's value; true when a cut began.
    bool FilterValueByte(char& c);
    char CutByte();
    // Follows a byte inside a quoted name: escapes and the closing quote.
    void FollowQuoted(char c);

    Where m_where = Where::LineStart;
    std::string m_sName;        // the header's name so far (bounded)
    bool m_bAddress = false;    // the current header holds addresses
    bool m_bMultiValue = false; // ... separated by commas
    // The current address of the value, as it came (not as it leaves).
    size_t m_nPrefix = 0; // characters before its "<"
    size_t m_nBlanks = 0; // blanks not yet counted
    bool m_bStarted = false;
    bool m_bInQuote = false;
    bool m_bEscape = false;
    bool m_bInAngle = false;
    bool m_bSeenAngle = false;
    // Cutting: every byte leaves as a space until the "<" (or the end of
    // the address); the first one closes a quoted name.
    bool m_bCutting = false;
    bool m_bCloseQuote = false;
};

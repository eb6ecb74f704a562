// SPDX-License-Identifier: GPL-3.0-or-later
#include "sip/SipHeaderGuard.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace {

// Longer header names are of no interest here.
constexpr size_t kMaxHeaderName = 32;

struct AddressHeader {
    std::string_view sName; // lower case; compact forms too
    bool bMultiValue;
};

// The headers whose values are addresses with an optional display name.
constexpr std::array kAddressHeaders{
    AddressHeader{"from", false},
    AddressHeader{"f", false},
    AddressHeader{"to", false},
    AddressHeader{"t", false},
    AddressHeader{"refer-to", false},
    AddressHeader{"r", false},
    AddressHeader{"referred-by", false},
    AddressHeader{"b", false},
    AddressHeader{"reply-to", false},
    AddressHeader{"contact", true},
    AddressHeader{"m", true},
    AddressHeader{"route", true},
    AddressHeader{"record-route", true},
    AddressHeader{"path", true},
    AddressHeader{"service-route", true},
    AddressHeader{"p-asserted-identity", true},
    AddressHeader{"p-preferred-identity", true},
    AddressHeader{"remote-party-id", true},
    AddressHeader{"diversion", true},
    AddressHeader{"history-info", true},
};

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

} // namespace

void CSipHeaderGuard::StartValue() {
    std::string name = ToLowerAscii(m_sName);
    while (!name.empty() && IsBlank(name.back()))
        name.pop_back();
    const auto* header = std::find_if(kAddressHeaders.begin(), kAddressHeaders.end(),
                                      [&](const AddressHeader& h) { return h.sName == name; });
    m_bAddress = header != kAddressHeaders.end();
    m_bMultiValue = m_bAddress && header->bMultiValue;
    StartElement();
}

void CSipHeaderGuard::StartElement() {
    m_nPrefix = m_nBlanks = 0;
    m_bStarted = m_bInQuote = m_bEscape = m_bInAngle = m_bSeenAngle = false;
    m_bCutting = m_bCloseQuote = false;
}

char CSipHeaderGuard::CutByte() {
    if (m_bCloseQuote) {
        m_bCloseQuote = false;
        return '"';
    }
    return ' ';
}

void CSipHeaderGuard::FollowQuoted(char c) {
    if (m_bEscape)
        m_bEscape = false;
    else if (c == '\\')
        m_bEscape = true;
    else if (c == '"')
        m_bInQuote = false;
}

bool CSipHeaderGuard::FilterValueByte(char& c) {
    if (m_bInAngle) {
        if (c == '>')
            m_bInAngle = false;
        return false;
    }
    // The address is followed as it came, cut or not.
    const bool bWasInQuote = m_bInQuote;
    const bool bWasEscape = m_bEscape;
    if (m_bInQuote) {
        FollowQuoted(c);
    } else if (c == '<') {
        m_bCutting = false;
        m_bInAngle = m_bSeenAngle = true;
        return false;
    } else if (c == ',' && m_bMultiValue) {
        StartElement();
        return false;
    } else if (c == '"') {
        m_bInQuote = true;
    }
    if (m_bCutting) {
        c = CutByte();
        return false;
    }
    if (m_bSeenAngle)
        return false;
    if (IsBlank(c) && !bWasInQuote) {
        // Blanks count only when more of the name follows them: those
        // before the "<" are no part of it.
        if (m_bStarted)
            ++m_nBlanks;
        return false;
    }
    m_bStarted = true;
    m_nPrefix += m_nBlanks + 1;
    m_nBlanks = 0;
    if (m_nPrefix <= kMaxDisplayName)
        return false;
    // The name is too long from this byte on.
    m_bCutting = true;
    if (!bWasInQuote) {
        c = ' ';
    } else if (bWasEscape) {
        // This byte is escaped: it becomes an escaped space, and the next
        // one closes the quote.
        c = ' ';
        m_bCloseQuote = true;
    } else {
        c = '"';
    }
    return true;
}

int CSipHeaderGuard::Filter(char* data, size_t n) {
    int nCuts = 0;
    for (size_t i = 0; i < n; ++i) {
        char& c = data[i];
        switch (m_where) {
        case Where::LineStart:
            if (c == '\r' || c == '\n') {
                m_bAddress = false; // an empty line: what follows starts afresh
                break;
            }
            if (IsBlank(c)) {
                // A folded line continues the header above.
                m_where = m_bAddress ? Where::Value : Where::SkipLine;
                if (m_bAddress)
                    nCuts += FilterValueByte(c) ? 1 : 0;
                break;
            }
            m_sName.clear();
            m_bAddress = false;
            m_where = Where::Name;
            [[fallthrough]];
        case Where::Name:
            if (c == '\n') {
                m_where = Where::LineStart;
            } else if (c == ':') {
                StartValue();
                m_where = m_bAddress ? Where::Value : Where::SkipLine;
            } else if (m_sName.size() >= kMaxHeaderName) {
                m_where = Where::SkipLine;
            } else {
                m_sName += c;
            }
            break;
        case Where::Value:
            if (c == '\n')
                m_where = Where::LineStart;
            else if (c != '\r')
                nCuts += FilterValueByte(c) ? 1 : 0;
            break;
        case Where::SkipLine:
            if (c == '\n')
                m_where = Where::LineStart;
            break;
        }
    }
    return nCuts;
}

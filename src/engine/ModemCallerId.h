// Reading the caller's identity from a voice modem's text lines.
//
// The reader talks to the modem through ICallerIdChannel, the four driver
// operations it needs; the worker binds it to CCommDriver, the tests to a
// scripted modem.
#pragma once

#include "engine/Number.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class CModemProfile;
struct CPhoneSettings;

class ICallerIdChannel {
public:
    virtual ~ICallerIdChannel() = default;
    // Waits up to timeoutMs for the next classified modem result (the AT
    // engine's result codes: 5 ring, 1001-1005 caller-ID fields, 0 nothing).
    virtual int WaitResult(uint32_t timeoutMs) = 0;
    // The rest of the current line, at most limit characters, waiting at most
    // timeoutMs.
    virtual std::string ReadRestOfLine(size_t limit, uint32_t timeoutMs) = 0;
    // What the modem sent during the last WaitResult (its line buffer).
    virtual std::string LastResponse() = 0;
    // The port's short read time-outs (every interval one driver quantum,
    // total constant the command time-out), and back to its normal ones.
    virtual void SetShortTimeouts() = 0;
    virtual void SetNormalTimeouts() = 0;
    // The clock the deadlines are measured on (the tick count).
    virtual uint32_t Now();
};

// Caller-ID types: how the modem is set up and on which ring the number is read.
enum CidType : int {
    kCidNone = 0,          // read at the second ring
    kCidHardware = 1,      // the modem reports the number as a bare digit line
    kCidFormatted = 2,     // formatted caller ID, read at the first ring
    kCidFormattedLong = 3, // as 2, but listens on through up to two rings
    kCidUnformatted = 4,   // hexadecimal text on message lines
    kCidFormattedAny = 5,  // as 2, read at the first ring on every device
    kCidOther = 6,         // read at the second ring
};

// The settings the reader follows.
struct CidReadSettings {
    int nCIDType = kCidFormatted;
    uint32_t dwTimeToGet = 3000; // whole reading, from its start
    uint32_t dwTimeToWait = 340; // between fields once one arrived
    uint32_t dwTimeoutQuant = 15;
    uint32_t dwTimeoutDefault = 2500;
    bool bNumberOnlyCID = false;
    bool bTreatZeroNumberAsUnknown = false;
    std::string sStatusMESG = "MESG"; // keyword that starts a message inside a number line
    // The field words of the modem, for a line that carries a second field
    // ("NAME=ARCHER L       NMBR=5071234567").
    std::string sStatusDATE = "DATE";
    std::string sStatusTIME = "TIME";
    std::string sStatusNMBR = "NMBR";
    std::string sStatusNAME = "NAME";

    static CidReadSettings From(const CPhoneSettings& phone, const CModemProfile& profile);
};

// What the worker learns while the reader runs.
struct CidReadHooks {
    // A RING arrived while reading: the worker counts it and stamps its times.
    std::function<void()> onRing;
    // A number (or message) arrived: the data so far is worth showing now.
    std::function<void(const CNumber&)> onReceived;
};

struct CidReadOutcome {
    bool bCidSeen = false;  // some caller-ID line arrived
    bool bReceived = false; // a number or a message arrived
    int nRingsSeen = 0;
    int nFound = 0; // fields taken (4 and more: stopped early)
    int nExtra = 0;
};

// Reads the caller-ID lines of one call into call (which the caller has reset).
// Ends at dwTimeToGet after its start, when enough fields arrived, or when a
// ring says the data is over. Afterwards drains left-over caller-ID lines and
// applies the empty-number and zero-number rules; the "NA" rule is the
// caller's (ApplyNoNumberRule).
// The bare line of digits a hardware caller-ID modem sent ahead of a ring
// word, when one wait read them together ("5551234\r\n\r\nRING"); empty
// when the text holds none.
std::string DigitLineBeforeRing(std::string_view text);

CidReadOutcome ReadModemCallerId(ICallerIdChannel& ch, const CidReadSettings& s, CNumber& call,
                                 const CidReadHooks& hooks = {});

// The unformatted form: a message line that starts with "03" and a two-digit
// hexadecimal length carries the number parameter as hexadecimal text, each
// character as two digits ("0307" and "35353531323334" for 5551234). Returns
// the number (at most that many characters), or "" when the text does not
// start that way.
std::string DecodeHexNumberMessage(std::string_view message);

// Remote access by phone: which PINs open it, and the guard that checks a
// PIN typed on the line. A PIN is compared in constant time, failures are
// counted (three wrong in one call end the call; ten in an hour close
// remote access for an hour), and neither a PIN nor a digit of one is ever
// put into a text that could reach a log.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The shortest PIN that opens remote access.
inline constexpr size_t kMinPinDigits = 4;

struct RemotePins {
    std::vector<std::string> pins; // the valid ones
    std::string sProblem;          // why one was left out ("" none); never holds a digit
};

// The PINs of the settings: sPin (digits as typed; m_nPIN's digits when it
// is empty and m_nPIN is not 0) and each of strPinArray. A PIN of fewer than
// kMinPinDigits digits, or with anything but digits, is left out and named
// in sProblem by where it came from.
RemotePins RemotePinsOf(const std::string& sPin, int nPin, const std::vector<std::string>& array);

// Why the PIN typed in a settings field cannot be used ("" when it can;
// an empty field is fine: no PIN).
std::string PinFieldProblem(std::string_view pin);

// Whether typed is one of pins, in a time that depends on neither the
// typed digits nor the PINs' contents.
bool PinMatches(std::string_view typed, const std::vector<std::string>& pins);

enum class PinVerdict {
    Accepted,
    Wrong,     // ask again
    HangUp,    // the third wrong one of this call
    LockedOut, // too many in the last hour: remote access is closed
};

class CRemoteAccess {
public:
    static constexpr int kTriesPerCall = 3;
    static constexpr int kFailuresPerHour = 10;
    static constexpr int64_t kHour = 3600;

    void SetPins(std::vector<std::string> pins) { m_pins = std::move(pins); }
    // Remote access can be asked for now (a valid PIN, not locked out).
    bool Open(int64_t tNow) const;
    // A new call: its count of wrong PINs starts again.
    void BeginCall() { m_nCallFailures = 0; }
    // Checks a PIN typed at tNow (seconds). LockedOut is the verdict of the
    // failure that closes access; until then HangUp or Wrong.
    PinVerdict Check(std::string_view typed, int64_t tNow);

private:
    std::vector<std::string> m_pins;
    std::vector<int64_t> m_failures; // times of the failures of the last hour
    int64_t m_tLockedUntil = 0;
    int m_nCallFailures = 0;
};

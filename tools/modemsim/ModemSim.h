// A voice modem simulated on a pseudo-terminal, for tests of the modem driver
// and the call engine, and for people trying the program without a modem.
//
// The simulator opens a pty pair and serves the master side from one thread
// (poll(), no busy waiting). The program under test opens SlavePath() like a
// serial port; it must put the slave into raw mode (cfmakeraw) itself, as it
// would a real port. Modem-control ioctls (DTR, RTS) on a pty may fail; the
// simulator does not depend on them.
//
// Everything the simulated line does (rings, caller ID, the sound the caller
// makes, touch-tone keys, the far end hanging up, the modem vanishing) is
// driven either through this class or through a scenario script (Scenario.h).
// Every method is thread-safe; the getters return copies.
//
// Typical test:
//   modemsim::ModemSim sim(modemsim::ModemSimOptions::For("v253"));
//   ASSERT_TRUE(sim.Start());
//   ... open sim.SlavePath(), set it raw, send "AT&F\r" ...
//   modemsim::CallerId id;
//   id.number = "5551234";
//   sim.SetCallerId(id, modemsim::CallerIdForm::Formatted);
//   sim.Ring(2, modemsim::RingCadence::Fast());
//   ASSERT_TRUE(sim.WaitForCommand("+VRX", 10000));
#pragma once

#include "SignalSource.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace modemsim {

// How the modem reports the caller after the first ring.
enum class CallerIdForm {
    None,           // nothing
    Formatted,      // "DATE = ..", "TIME = ..", "NMBR = ..", "NAME = .." (and "MESG = .." when set)
    Unformatted,    // one "MESG = " line of hexadecimal text
    HardwareDigits, // a bare line of digits, as modems with a caller-ID chip do
    Raw,            // CallerId::message sent as it is: any layout a real modem uses
};

struct CallerId {
    std::string date;    // "MMDD"
    std::string time;    // "HHMM"
    std::string number;  // as the exchange sends it, "P" and "O" included
    std::string name;    //
    std::string message; // Formatted: an extra MESG line when not empty.
                         // Unformatted: the hexadecimal text; when empty it is
                         // built from the number (parameter 03, each digit as
                         // two hex characters). Raw: the whole text sent.
};

// Time between ring reports and from the first ring to the caller-ID lines.
struct RingCadence {
    int periodMs = 6000;
    int callerIdDelayMs = 1500;
    // Short enough for tests, still ordered like a real line.
    static RingCadence Fast() { return {250, 60}; }
};

// Deliberately bad modems, for tests of the driver's defences.
enum class Misbehaviour {
    None,
    Silent,   // never answers anything (no echo, no result)
    Babble,   // answers every command line with random bytes instead of a result
    DleStorm, // answers every command line with an endless stream of DLE codes,
              // and mixes them into a voice receive
    LongLine, // answers every command line with 100 kB of text without a line end
};

struct ModemSimOptions {
    std::string personality = "v253"; // see Personality.h, PersonalityNames()
    std::string logFile;              // when set, every byte both ways is logged here
    std::string linkPath;             // when set, a symlink to the slave is made here
    double voicePace = 1.0;           // 1 streams sound in real time; 0 as fast as the host reads

    static ModemSimOptions For(std::string personalityName) {
        ModemSimOptions o;
        o.personality = std::move(personalityName);
        return o;
    }
};

// The voice format the modem is using, as chosen by the host's commands or
// forced with SetVoiceFormat().
struct VoiceFormat {
    int compressionId = 8; // the program's compression ids (8, 9, 16, 128, ...)
    int sampleRate = 8000;
    int bits = 0; // bits per sample for ids 4 and 129; 0 for the id's usual depth
};

// A text message as a mobile-network modem took it: the recipient of
// AT+CMGS and the text up to the Ctrl-Z (line breaks as "\n").
struct SentMessage {
    std::string number;
    std::string text;
};

class ModemSim {
public:
    explicit ModemSim(ModemSimOptions options = {});
    ~ModemSim(); // Stop()
    ModemSim(const ModemSim&) = delete;
    ModemSim& operator=(const ModemSim&) = delete;

    // Opens the pty and starts the serving thread. False (with the reason in
    // *error) when the personality is unknown or the pty cannot be opened.
    bool Start(std::string* error = nullptr);
    // Ends the thread and closes the master. Safe to call twice.
    void Stop();
    // The slave device, e.g. "/dev/pts/7" (empty before Start()).
    std::string SlavePath() const;

    // ---- the line ----------------------------------------------------------

    // Reports count rings with the cadence; the caller-ID lines of
    // SetCallerId() follow the first ring. Rings stop early when the host
    // takes the line (answer or off-hook). word is the result word of each
    // ring ("RING1" to "RING4" for distinctive rings); a word that starts
    // with DLE ("\x10R") is sent as it is, as modems report rings in voice mode.
    void Ring(int count, RingCadence cadence = {}, const std::string& word = "RING");
    void SetCallerId(const CallerId& id, CallerIdForm form);
    // The result of the next dial commands ("OK", "VCON", "CONNECT", "BUSY",
    // "NO ANSWER", "NO CARRIER", "NO DIAL TONE"), after delayMs. Until set, a
    // dial in voice mode connects with the family's voice-connect word.
    void SetDialResult(const std::string& word, int delayMs = 0);

    // What the caller says while the host records (voice receive). After the
    // source ends, the line carries silence.
    void SetVoiceSource(const SignalSource& source);
    // Overrides the format chosen by the host's voice format commands.
    void SetVoiceFormat(const VoiceFormat& format);
    VoiceFormat CurrentVoiceFormat() const;

    // A DLE event (keys 0-9 * # A-D, and b d c s q h H t R ...) atMs into the
    // next (or current) voice stream. In voice receive the time is sound time,
    // so the event lands at an exact place in the data; in voice transmit it
    // is wall time since the transmit started.
    void InjectEvent(char code, int atMs);
    // DLE and code right now, whatever the modem is doing.
    void SendEventNow(char code);
    // Raw bytes to the host right now (unsolicited result words and the like).
    void SendRaw(const std::string& bytes);
    // The far end hangs up atMs into the voice stream: the modem hears the
    // busy tone (code 'b') or the dial tone ('d') and reports it.
    void FarEndHangsUp(int atMs, char code = 'b');

    // The modem disappears (the pty master closes). Vanish() does it now; the
    // others when the next command containing text arrives (before it is
    // answered), or atMs into the next voice stream.
    void Vanish();
    void VanishOnCommand(const std::string& text);
    void VanishInVoiceStream(int atMs);
    bool HasVanished() const;

    void SetMisbehaviour(Misbehaviour mode);
    // A slow modem: every answer (results, information text, DLE ETX) comes
    // delayMs after the command; echo stays immediate. 0 turns it off.
    void SetReplyDelay(int delayMs);

    // ---- what the host did -------------------------------------------------

    // Every command line received, without "AT" and the CR ("+FCLASS=8;+VLS=1").
    std::vector<std::string> ReceivedLines() const;
    // Every single command, upper-cased, as executed ("+FCLASS=8", "E0", "DT5551234").
    std::vector<std::string> ReceivedCommands() const;
    // Waits until a command containing text (case-insensitive) arrives. Each
    // wait consumes the commands up to and including the match, so two waits
    // for "+VRX" need two such commands.
    bool WaitForCommand(std::string_view text, int timeoutMs);

    // The bytes that ended the last voice receive ("\x10!" for example).
    std::string LastStopSequence() const;
    // Waits until a voice receive has ended (host stop sequence, or vanish).
    // Like WaitForCommand, each wait consumes one ending.
    bool WaitForReceiveEnd(int timeoutMs);
    // Waits until the host ended a voice transmit (DLE ETX or an abort); each
    // wait consumes one ending.
    bool WaitForTransmitEnd(int timeoutMs);
    // The same wait, giving the sound of the transmit that ended (nothing when
    // none ended in time), so that what the host sends next cannot mix in.
    std::optional<std::vector<int16_t>> NextTransmit(int timeoutMs);
    // The sound the host sent in its transmits so far, decoded to 16-bit PCM at
    // TransmittedSampleRate(). Cleared by ClearTransmitted().
    std::vector<int16_t> TransmittedSamples() const;
    int TransmittedSampleRate() const;
    void ClearTransmitted();
    // Numbers of the dial commands, as sent ("T5551234" keeps the T).
    std::vector<std::string> DialledNumbers() const;
    bool IsOffHook() const;

    // ---- text messages (the "gsm" personality) ------------------------------

    // The next count messages (-1: all of them) are refused at their Ctrl-Z
    // with "+CMS ERROR: <code>".
    void RefuseMessages(int code, int count = -1);
    // The messages taken so far, in order.
    std::vector<SentMessage> SentMessages() const;
    // How many were refused, and cancelled by the host with Esc.
    int RefusedMessages() const;
    int CancelledMessages() const;

private:
    class Impl;
    std::unique_ptr<Impl> m_impl;
};

} // namespace modemsim

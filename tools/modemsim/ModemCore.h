// The simulated modem itself, without any file descriptor: bytes from the
// host go in through Feed(), bytes for the host collect in Output(), and
// Tick() moves time on (rings, dial results, the voice stream). ModemSim runs
// it on a pty from one thread and guards it with a mutex.
#pragma once

#include "AtParser.h"
#include "ModemSim.h"
#include "Personality.h"
#include "SignalSource.h"
#include "VoiceCodec.h"
#include "VoiceStream.h"

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace modemsim {

// What the host did, for tests to look at. The records are bounded so that a
// simulator left running for days (or a host gone mad) cannot eat the memory:
// the oldest lines and commands go first, and sound beyond an hour is dropped.
struct Observed {
    static constexpr size_t kMaxRecords = 100000;
    static constexpr size_t kMaxSamples = 3600u * 48000;

    std::vector<std::string> lines;
    std::vector<std::string> commands;
    size_t commandsDropped = 0; // commands removed from the front so far
    std::vector<std::string> dialled;
    std::string lastStopSequence;
    int receivesEnded = 0;
    int transmitsEnded = 0;
    std::vector<int16_t> transmitted;
    size_t transmitStart = 0; // where the transmit under way begins in transmitted
    // Each ended transmit's own sound, in order; the oldest go first beyond
    // kMaxTransmits (transmitsEnded still counts them).
    static constexpr size_t kMaxTransmits = 256;
    std::vector<std::vector<int16_t>> transmits;
    int transmittedRate = 8000;
    std::vector<SentMessage> messages; // text messages the modem took
    int messagesRefused = 0;           // ended with a +CMS ERROR
    int messagesCancelled = 0;         // cancelled with Esc

    void AddLine(std::string line);
    void AddCommand(std::string command);
    void AddDialled(std::string number);
    void AddMessage(SentMessage message);
    // Keeps transmitted within kMaxSamples.
    void TrimTransmitted();
};

class ModemCore {
public:
    ModemCore(const Personality& personality, double voicePace);

    void Feed(const char* data, size_t n, uint32_t now);
    void Tick(uint32_t now);
    // Milliseconds until Tick() has work, -1 for none. 0 means "now".
    int NextTickIn(uint32_t now) const;
    std::string& Output() { return m_out; }
    bool Vanished() const { return m_vanished; }
    const Observed& Seen() const { return m_seen; }
    Observed& Seen() { return m_seen; }

    void Ring(int count, const RingCadence& cadence, uint32_t now,
              const std::string& word = "RING");
    void SetCallerId(const CallerId& id, CallerIdForm form);
    void SetDialResult(const std::string& word, int delayMs);
    void SetVoiceSource(const SignalSource& source) { m_source = source; }
    void SetVoiceFormat(const VoiceFormat& format) {
        m_format = format;
        m_formatForced = true;
    }
    VoiceFormat CurrentVoiceFormat() const { return m_format; }
    void InjectEvent(char code, int atMs) { m_events.push_back({atMs, code, false}); }
    void SendEventNow(char code);
    void SendRaw(const std::string& bytes) { m_out += bytes; }
    void Vanish() { m_vanished = true; }
    void VanishOnCommand(const std::string& text) { m_vanishOn = text; }
    void VanishInVoiceStream(int atMs) { m_events.push_back({atMs, 0, true}); }
    void SetMisbehaviour(Misbehaviour mode);
    void SetReplyDelay(int ms) { m_replyDelayMs = ms < 0 ? 0 : ms; }
    void RefuseMessages(int code, int count) {
        m_smsRefusalCode = code;
        m_smsRefusalsLeft = count;
    }
    bool IsOffHook() const { return m_offHook; }

private:
    enum class Mode { Command, Dialling, VoiceReceive, VoiceTransmit, MessageText };
    enum class Outcome { Ok, Error, Taken }; // Taken: the command answers by itself
    enum class LineState { Idle, GotA, InLine };
    struct Event {
        int atMs;
        char code;
        bool vanish;
    };

    // Command mode (ModemCore.cpp).
    void FeedCommand(char c, uint32_t now);
    void RunLine(const std::string& body, uint32_t now);
    void Reply(const std::string& bytes);
    void SendResult(const std::string& word);
    void SendInfo(const std::string& text);
    void Reset();
    void TickRings(uint32_t now);
    void SendCallerId();

    // Commands (Commands.cpp).
    Outcome Execute(const AtCommand& cmd, uint32_t now);
    Outcome ExecuteBasic(const AtCommand& cmd, uint32_t now);
    Outcome ExecuteExtended(const AtCommand& cmd, uint32_t now);
    Outcome ExecuteVoice(const AtCommand& cmd, uint32_t now);
    Outcome SelectFormat(const std::string& value);
    bool Knows(const std::string& name) const;

    // Text messages (Sms.cpp).
    Outcome ExecuteSms(const AtCommand& cmd);
    void FeedMessageText(char c);
    void SendSmsError(int code);

    // Voice (Voice.cpp).
    void StartReceive(uint32_t now);
    void StartTransmit(uint32_t now);
    void FeedReceive(uint8_t byte);
    void FeedTransmit(uint8_t byte);
    void EndVoice(bool receive);
    void TickReceive(uint32_t now);
    void TickTransmit(uint32_t now);
    void TickFlood();
    void AppendDleCodes(int count);

    const Personality& m_p;
    double m_pace;
    std::string m_out;
    Observed m_seen;
    bool m_vanished = false;
    std::string m_vanishOn;
    Misbehaviour m_misbehaviour = Misbehaviour::None;
    size_t m_floodLeft = 0; // bytes of the long line still to send
    std::mt19937 m_random{20260101};
    uint32_t m_now = 0;
    int m_replyDelayMs = 0;
    struct Delayed {
        uint32_t due;
        std::string bytes;
    };
    std::vector<Delayed> m_delayed; // replies held back by the reply delay, in order

    // Command state.
    Mode m_mode = Mode::Command;
    LineState m_lineState = LineState::Idle;
    std::string m_line;
    bool m_lineTooLong = false;
    bool m_swallowLf = false; // a LF right after the CR of a line is not input
    std::string m_lastLine;
    bool m_echo = true;
    bool m_quiet = false;
    bool m_verbose = true;
    std::array<int, 256> m_sregs{};
    std::string m_fclass = "0";
    std::map<std::string, std::string> m_values; // last value of each extended command
    bool m_offHook = false;

    // Line state.
    int m_ringsLeft = 0;
    std::string m_ringWord = "RING";
    uint32_t m_nextRingAt = 0;
    bool m_ringsStarted = false;
    RingCadence m_cadence;
    std::optional<uint32_t> m_callerIdAt;
    CallerId m_callerId;
    CallerIdForm m_callerIdForm = CallerIdForm::None;
    std::string m_dialWord;
    int m_dialDelayMs = 0;
    uint32_t m_dialAt = 0;
    std::string m_dialResult;

    // Text messages.
    bool m_smsTextMode = false; // +CMGF=1; modems start in PDU mode
    std::string m_smsNumber;
    std::string m_smsText;
    int m_smsReference = 0;
    int m_smsRefusalCode = 0;
    int m_smsRefusalsLeft = 0; // -1: every message

    // Voice.
    VoiceFormat m_format;
    bool m_formatForced = false; // the host's format commands no longer change it
    SignalSource m_source;
    std::vector<Event> m_events;
    std::unique_ptr<VoiceCodec> m_codec;
    uint32_t m_voiceStart = 0;
    uint64_t m_samplesSent = 0;
    std::string m_stopBytes;
    bool m_stopDle = false;
    Unshielder m_unshield;
    GsmDeframer m_deframer;
};

} // namespace modemsim

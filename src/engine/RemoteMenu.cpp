#include "engine/RemoteMenu.h"

#include "audio/WaveFile.h"
#include "calllog/CallLog.h"
#include "engine/CallEvents.h"
#include "engine/CallHistory.h"
#include "engine/CallState.h"
#include "engine/KeyTables.h"
#include "engine/Phone.h"
#include "engine/ProgramFile.h"
#include "platform/PrivateKeys.h"
#include "platform/RuntimeFolder.h"
#include "platform/TickCount.h"
#include "speech/Speech.h"
#include "speech/SpeechPhrases.h"

#include <cstdio>
#include <ctime>
#include <filesystem>
#include <vector>

namespace {

constexpr uint64_t kDigitWaitMs = 8000;    // for each digit of the PIN
constexpr uint64_t kAfterMessageMs = 3000; // for a key after a message, before the next
constexpr uint64_t kIdleMs = 10000;        // for a key once nothing is playing
constexpr size_t kMostPinDigits = 32;      // more is no PIN: the entry ends
constexpr uint32_t kSkipMs = 3000;         // 3 back, 0 forward while a message plays

bool CallerGone(int ch) {
    return ch == 'b' || ch == 'd';
}

// The message from fromMs on, as a file of its own in folder ("" past its
// end, or when it cannot be read).
std::string MessageFrom(const std::string& file, uint32_t fromMs, const std::string& folder) {
    CWaveFile in;
    if (folder.empty() || !in.Open(file))
        return {};
    const uint32_t rate = in.Format().nSamplesPerSec;
    std::vector<int16_t> samples(in.SampleCount());
    samples.resize(in.ReadSamples(samples.data(), samples.size()));
    const uint64_t from = uint64_t{fromMs} * rate / 1000;
    if (from >= samples.size())
        return {};
    const std::string part = folder + "remote-part.wav";
    CWaveFile out;
    if (!out.Create(part, PcmFormat(rate)) ||
        !out.WriteSamples(samples.data() + from, samples.size() - from) || !out.CloseWrite())
        return {};
    return part;
}

} // namespace

CRemoteMenu::CRemoteMenu(CPhone& phone, CCallStateData& state, CCallHistory& history,
                         CCallLog& callLog, CCallEventPublisher& events)
    : m_phone(phone), m_state(state), m_history(history), m_callLog(callLog), m_events(events) {}

void CRemoteMenu::Tell(const std::string& text) {
    m_phone.Trace("Remote access: " + text + "\n");
    m_phone.SetStatusText("remote access: " + text);
}

void CRemoteMenu::Configure() {
    RemotePins pins = RemotePinsOf(m_phone.sPin, m_phone.m_nPIN, m_phone.strPinArray);
    m_guard.SetPins(std::move(pins.pins));
    if (pins.sProblem != m_sPinProblem) {
        m_sPinProblem = pins.sProblem;
        if (!pins.sProblem.empty())
            Tell(pins.sProblem);
    }
}

int64_t CRemoteMenu::Now() const {
    return m_clock ? m_clock() : static_cast<int64_t>(std::time(nullptr));
}

bool CRemoteMenu::Offered() const {
    return m_guard.Open(Now());
}

bool CRemoteMenu::LineUp() const {
    return m_state.bOffHook && !m_state.bHangUpRequest && !m_state.bShuttingDown &&
           !m_phone.Device().StopRequested();
}

int CRemoteMenu::Prompt(const std::string& setting) {
    return setting.empty() ? -1 : Play(ProgramFile(setting));
}

int CRemoteMenu::PromptOrSay(const std::string& setting, const std::string& text) {
    std::error_code ec;
    if (!m_phone.bPinTTS && !setting.empty() && std::filesystem::exists(ProgramFile(setting), ec))
        return Prompt(setting);
    return Say(text);
}

int CRemoteMenu::Say(const std::string& text) {
    if (!LineUp())
        return -1;
    std::string why;
    const std::string folder = GetRuntimeFolder(&why);
    const std::string file = folder.empty() ? "" : folder + "remote-speech.wav";
    if (!file.empty() && SpeakToWaveFile(text, UserPhrases().language, file, &why)) {
        m_sSpeechProblem.clear();
        return Play(file);
    }
    if (why != m_sSpeechProblem) {
        m_sSpeechProblem = why;
        Tell("cannot speak: " + why);
    }
    return -1;
}

int CRemoteMenu::Play(const std::string& file) {
    if (!LineUp())
        return -1;
    const int ev = m_phone.Device().PlayFile(file, true);
    if (ev >= 0)
        m_phone.Device().SetStopRequest(false); // raised by the play for the key that ended it
    return ev;
}

int CRemoteMenu::WaitKey(uint64_t ms) {
    if (!LineUp())
        return 'b';
    std::string why;
    const std::string folder = GetRuntimeFolder(&why);
    if (folder.empty()) {
        Tell("cannot listen for keys: " + why);
        return 'b';
    }
    // The line is listened to through a recording nobody keeps.
    const std::string scratch = folder + "remote-keys.wav";
    const RecordResult r = m_phone.Device().Record(
        scratch, ms, [](int ch) { return IsToneKey(ch) || CallerGone(ch); });
    std::remove(scratch.c_str());
    if (r.nKey >= 0)
        m_phone.Device().SetStopRequest(false);
    return r.nKey;
}

// Digits up to "#"; a pause after some digits ends the entry too. Nothing
// typed at all, or the caller gone: none.
std::optional<std::string> CRemoteMenu::ReadPin(int key) {
    std::string pin;
    while (pin.size() <= kMostPinDigits) {
        if (key < 0)
            key = WaitKey(kDigitWaitMs);
        if (CallerGone(key) || (key < 0 && pin.empty()))
            return std::nullopt;
        if (key < 0 || key == '#')
            break;
        if (key >= '0' && key <= '9')
            pin += static_cast<char>(key);
        key = -1;
    }
    return pin;
}

bool CRemoteMenu::AskForPin() {
    m_guard.BeginCall();
    for (;;) {
        int key = -1;
        if (m_phone.bPinInstruct)
            key = Prompt(m_phone.sPinInstruct);
        if (key < 0 && m_phone.bPinRequest)
            key = PromptOrSay(m_phone.sPinRequest, UserPhrases().pinRequest);
        std::optional<std::string> pin = ReadPin(key);
        if (!pin) {
            Tell("the caller entered no PIN");
            return false;
        }
        const PinVerdict verdict = m_guard.Check(*pin, Now());
        std::fill(pin->begin(), pin->end(), '\0');
        switch (verdict) {
        case PinVerdict::Accepted:
            Tell("PIN accepted");
            return true;
        case PinVerdict::Wrong:
            Tell("wrong PIN");
            continue;
        case PinVerdict::HangUp:
            Tell("wrong PIN " + std::to_string(CRemoteAccess::kTriesPerCall) + " times: hung up");
            return false;
        case PinVerdict::LockedOut: {
            const std::string text = "wrong PIN " +
                                     std::to_string(CRemoteAccess::kFailuresPerHour) +
                                     " times in an hour: remote access is off for an hour";
            Tell(text);
            // The owner learns of it through the call's notice.
            CNumber call = m_state.curCall.Get();
            call.m_sMemo = text;
            call.m_sRecording.clear();
            m_events.Publish(CallsForNotice{{call}, false});
            return false;
        }
        }
    }
}

std::string MessageAnnouncement(const HistoryEntry& message, int nNumber, const std::string& sName) {
    const auto when = static_cast<std::time_t>(message.tTime);
    std::tm local{};
    ::localtime_r(&when, &local);
    return SpokenMessage(UserPhrases(), nNumber, sName, message.sNumber, local);
}

int CRemoteMenu::PlayMessage(const HistoryEntry& message, int nNumber) {
    int key = Say(MessageAnnouncement(message, nNumber, m_history.ContactName(message)));
    // 3 and 0 play it again from 3 s before or after where it was.
    uint32_t fromMs = 0;
    std::string why;
    const std::string folder = GetRuntimeFolder(&why);
    while (key < 0 && LineUp()) {
        const std::string part =
            fromMs ? MessageFrom(message.sRecording, fromMs, folder) : message.sRecording;
        if (part.empty())
            break; // skipped past its end
        const uint32_t start = GetTickCount();
        key = m_phone.Device().PlayFile(part, true);
        if (key >= 0)
            m_phone.Device().SetStopRequest(false);
        if (key != '3' && key != '0')
            break;
        const uint32_t at = fromMs + (GetTickCount() - start);
        fromMs = key == '0' ? at + kSkipMs : at > kSkipMs ? at - kSkipMs : 0;
        key = -1;
    }
    if (!message.bHeard)
        m_history.MarkHeard(message.nId, true);
    return key;
}

void CRemoteMenu::Menu() {
    Prompt(m_phone.sWaveRemoteGlobal);
    std::vector<HistoryEntry> messages = m_history.UnheardMessages();
    Tell(std::to_string(messages.size()) + " new messages");
    int key = PromptOrSay(messages.empty() ? m_phone.sWaveNoNewMessages : m_phone.sWaveNewMessage,
                          SpokenNewMessages(UserPhrases(), static_cast<int>(messages.size())));
    size_t i = 0;
    bool bPlay = key < 0;
    while (LineUp()) {
        if (bPlay && i < messages.size()) {
            key = PlayMessage(messages[i], static_cast<int>(i + 1));
            messages[i].bHeard = true;
            if (key < 0)
                key = WaitKey(kAfterMessageMs);
        } else if (key < 0) {
            key = WaitKey(kIdleMs);
            if (key < 0 && i >= messages.size())
                break; // nothing more to hear and nothing asked
        }
        bPlay = true;
        if (key == '#' || CallerGone(key))
            break;
        const bool bOnMessage = i < messages.size();
        switch (key) {
        case -1:
        case '6':
        case '9':
            i += bOnMessage ? 1 : 0;
            break;
        case '1':
            i = 0;
            break;
        case '4':
            i = i > 0 ? i - 1 : 0;
            break;
        case '5':
            i = bOnMessage || messages.empty() ? i : messages.size() - 1;
            break;
        case '7':
            if (bOnMessage) {
                const std::string& file = messages[i].sRecording;
                const bool bUndo = m_marked.erase(file) > 0;
                if (!bUndo)
                    m_marked.insert(file);
                Tell(bUndo ? "message kept" : "message deleted");
            }
            bPlay = false;
            break;
        case '*':
            bPlay = false;
            key = Say(UserPhrases().remoteHelp);
            continue;
        default:
            bPlay = false;
            break;
        }
        key = -1;
    }
    DeleteMarked();
}

void CRemoteMenu::DeleteMarked() {
    for (const std::string& file : m_marked) {
        const size_t slash = file.find_last_of('/');
        std::string why;
        if (!m_callLog.DeleteRecordings(file.substr(0, slash + 1), CCallLog::IndexBeside(file),
                                        {file.substr(slash + 1)}, &why))
            Tell("a message could not be deleted: " + why);
    }
    m_marked.clear();
}

void CRemoteMenu::Run() {
    const CPrivateKeys keysPrivate; // the PIN and every key after it
    Tell("asked for by the caller");
    if (AskForPin())
        Menu();
    std::string why;
    if (const std::string folder = GetRuntimeFolder(&why); !folder.empty())
        for (const char* name : {"remote-part.wav", "remote-speech.wav"})
            std::remove((folder + name).c_str());
    Tell("ended");
}

// What happens on the line, as facts for whoever follows the calls (the
// service's log, a call history, ...), apart from what the worker asks of
// its front end (IUiBridge). The worker publishes each fact as it happens;
// every subscriber gets them in order on a thread of its own, through a
// bounded queue of its own, so a slow subscriber never holds up the line.
//
// When a subscriber's queue is full, its oldest queued event is dropped to
// make room for the new one: a subscriber that catches up sees how the line
// stands now. The drops are counted per subscriber and told once per burst
// (when the subscriber takes its next event, or at the end).
#pragma once

#include "engine/Number.h"
#include "engine/TelephoneDevice.h"
#include "engine/UiBridge.h"
#include "screening/ScreeningTypes.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <variant>
#include <vector>

// Ring nRings (1, 2 ...) of the call now ringing.
struct CallRinging {
    int nRings = 0;
};

// The caller as the caller ID (or the line) told it.
struct CallerIdentified {
    std::string sNumber;
    std::string sDisplayNumber; // as shown ("555-1234")
    std::string sName; // as shown: a contact's name when the caller is one
    std::string sMemo; // the user's note for this number
    std::string sNetworkName; // the name the caller ID brought
};

enum class AnsweredBy { Machine, User };

// The line was taken: by the answering machine, or for the user (a talk,
// a recording, a lifted handset, a call of our own). Comes again when the
// line is taken anew during the call (for the message after the greeting).
struct CallAnswered {
    AnsweredBy by = AnsweredBy::User;
};

// The caller now known was screened: what is done with the call and the
// rule that chose it (a contact, a range, a kind of caller ID); sRule ""
// when none did, and the caller rings as any. Told once a call, and again
// with bChallengeFailed when a challenged caller did not press the key asked
// for and was hung up on.
struct CallScreened {
    ScreenAction action = ScreenAction::LetRing;
    std::string sRule;
    int64_t nContactId = 0;
    bool bChallengeFailed = false;
};

// A recording (or the caller's message) began in sFile.
struct RecordingStarted {
    std::string sFile;
    bool bMessage = false;
};

// A recording (or message) was stored: nSeconds long; sProblem says why it
// was cut short ("" when it was not).
struct RecordingStored {
    std::string sFile;
    int nSeconds = 0;
    bool bMessage = false;
    std::string sProblem;
};

// The call was sent on to sTarget: redirected before it was answered, or
// transferred (bTransferred) once answered; on a line that cannot send a
// call on, its message (sRecording) was played to sTarget after the call.
// With sProblem it was not, for good: why, as the history keeps it ("not
// forwarded to 555 0123: busy"); the worker has told it already.
struct CallForwarded {
    std::string sTarget;
    bool bTransferred = false;
    std::string sRecording; // "" the call itself
    std::string sProblem;   // "" it went
};

// The line was put back. Comes also when the rings of a call end after the
// line was already put back.
struct CallEnded {};

// The device cannot take calls: state says how (lost, failed to open, not
// responding, unavailable), sReason why where it is known. Repeated at
// every attempt to open it.
struct LineLost {
    DeviceState state = DeviceState::Lost;
    DeviceKind kind = DeviceKind::SerialModem;
    std::string sDevice; // "COM9 (/dev/ttyACM0)"; "" where the kind has no names
    std::string sReason;
};

// The device is open and takes calls (also the first time).
struct LineBack {
    DeviceKind kind = DeviceKind::SerialModem;
    std::string sDevice;
};

// The rings of a call ended with a notice of it due (the user wants one and
// it rang often enough): the calls recorded since the last notice, with
// their recordings (bRecorded), or this call alone when it rang unanswered.
struct CallsForNotice {
    std::vector<CNumber> calls;
    bool bRecorded = false;
};

// What screening did, as one word for the programs and services that follow
// the calls ("ring", "blocked", "hang-up", ...).
const char* ScreenActionWord(ScreenAction a);

using CallEvent =
    std::variant<CallRinging, CallerIdentified, CallScreened, CallAnswered, RecordingStarted,
                 RecordingStored, CallEnded, LineLost, LineBack, CallsForNotice, CallForwarded>;

// LineBack for DeviceState::Open, else LineLost.
CallEvent LineEvent(DeviceState state, DeviceKind kind, const std::string& sDevice,
                    const std::string& sReason);

class CCallEventPublisher {
public:
    using Handler = std::function<void(const CallEvent&)>;
    // Where drops are told (a line of text); called on a subscriber's thread
    // or in Stop, never on the publisher's.
    using Report = std::function<void(const std::string&)>;
    static constexpr size_t kDefaultCapacity = 256;

    explicit CCallEventPublisher(Report report = {});
    // Stops (see Stop).
    ~CCallEventPublisher();
    CCallEventPublisher(const CCallEventPublisher&) = delete;
    CCallEventPublisher& operator=(const CCallEventPublisher&) = delete;

    // Starts delivering to handler on a thread of its own, with at most
    // capacity events waiting (at least 1). name says whose queue it is in
    // the drop report. Returns the subscription's id.
    int Subscribe(const std::string& name, Handler handler, size_t capacity = kDefaultCapacity);
    // Ends a subscription: once it returns the handler is not called again
    // (a call in progress is waited for, unless it is the handler itself
    // that unsubscribes); events still queued are delivered first with
    // bDrain, else not at all.
    void Unsubscribe(int id, bool bDrain = false);
    // Queues the event for every subscriber and returns at once.
    void Publish(const CallEvent& event);
    // Ends every subscription after delivering what is queued; tells the
    // drops not yet told. A handler must return for this to end.
    void Stop();

    // The events dropped for a subscription so far (0 for an unknown id).
    uint64_t Dropped(int id) const;

private:
    struct Subscriber;
    static void Deliver(const std::shared_ptr<Subscriber>& sub);
    static void End(const std::shared_ptr<Subscriber>& sub, bool bDrain);

    Report m_report;
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<Subscriber>> m_subscribers; // under m_mutex
    int m_nNextId = 1;                                      // under m_mutex
};

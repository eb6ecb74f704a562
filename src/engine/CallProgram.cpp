#include "engine/CallProgram.h"

#include "config/Settings.h"
#include "platform/JsonText.h"
#include "platform/ProcessLaunch.h"
#include "platform/TextUtil.h"
#include "platform/ThreadName.h"

#include <algorithm>
#include <fcntl.h>
#include <iterator>
#include <optional>
#include <thread>
#include <unistd.h>
#include <utility>

namespace {

// The actions of a caller on the block list.
bool IsBlocked(ScreenAction a) {
    return a == ScreenAction::ShowBlocked || a == ScreenAction::HangUp ||
           a == ScreenAction::NotInService || a == ScreenAction::TakeMessage;
}

// A call's field as handed on: bounded, and whole up to any NUL (which no
// argument or environment entry can hold).
std::string Value(const std::string& s) {
    return Utf8Truncate(s.substr(0, s.find('\0')), CCallProgram::kMaxValue);
}

std::string OutputText(const LaunchResult& r) {
    std::string text = Trim(r.sOutput);
    if (text.empty())
        return "";
    text = "; output: " + text;
    if (r.nOutputDropped)
        text +=
            StrPrintf(" (and %llu bytes more)", static_cast<unsigned long long>(r.nOutputDropped));
    return text;
}

} // namespace

const char* ScreenActionWord(ScreenAction a) {
    switch (a) {
    case ScreenAction::LetRing:
        return "ring";
    case ScreenAction::ShowBlocked:
        return "blocked";
    case ScreenAction::HangUp:
        return "hang-up";
    case ScreenAction::NotInService:
        return "not-in-service";
    case ScreenAction::TakeMessage:
        return "take-message";
    case ScreenAction::NeverAnswer:
        return "never-answer";
    case ScreenAction::AnswerAtFirstRing:
        return "answer-at-once";
    case ScreenAction::Challenge:
        return "challenge";
    }
    return "";
}

CallProgramSettings CallProgramSettings::From(const CPhoneSettings& s) {
    CallProgramSettings c;
    c.bEnabled = s.bRunProg;
    c.sProgram = s.sRunApp;
    c.sParams = s.sRunParam;
    c.bPause = s.bRunPause;
    c.bAfter = s.bRunAfter;
    c.bNotAnswered = s.bRunNotAnsw;
    c.bSkipBlocked = s.bRunDisableBlack;
    return c;
}

struct CCallProgram::Job {
    std::thread thread;
    bool bDone = false; // under the owner's m_mutex
};

CCallProgram::CCallProgram(Report report, Pause pause)
    : m_report(std::move(report)), m_pause(std::move(pause)) {
    if (::pipe2(m_cancel, O_CLOEXEC | O_NONBLOCK) != 0)
        m_cancel[0] = m_cancel[1] = -1;
}

CCallProgram::~CCallProgram() {
    Stop();
    for (int fd : m_cancel)
        if (fd >= 0)
            ::close(fd);
}

void CCallProgram::SetSettings(CallProgramSettings settings) {
    std::lock_guard lock(m_mutex);
    m_settings = std::move(settings);
}

void CCallProgram::Start(CCallEventPublisher& events) {
    {
        std::lock_guard lock(m_mutex);
        m_bStopped = false;
    }
    if (m_pEvents)
        return;
    m_pEvents = &events;
    m_nSubscription =
        events.Subscribe("call program", [this](const CallEvent& event) { OnEvent(event); });
}

void CCallProgram::Stop() {
    if (m_pEvents)
        m_pEvents->Unsubscribe(m_nSubscription);
    m_pEvents = nullptr;
    std::vector<std::shared_ptr<Job>> jobs;
    {
        std::lock_guard lock(m_mutex);
        m_bStopped = true;
        jobs.swap(m_jobs);
    }
    if (jobs.empty())
        return;
    char c = 1;
    ssize_t n = ::write(m_cancel[1], &c, 1);
    for (const auto& job : jobs)
        job->thread.join();
    // Read back, so that programs started after a new Start run on.
    if (n == 1)
        n = ::read(m_cancel[0], &c, 1);
}

int CCallProgram::Started() const {
    std::lock_guard lock(m_mutex);
    return m_nStarted;
}

void CCallProgram::ReportStartFailure(const std::string& why) {
    {
        std::lock_guard lock(m_mutex);
        if (std::exchange(m_sFailureTold, why) == why)
            return;
    }
    m_report("The call program was not started: " + why);
}

bool CCallProgram::Run(const CallProgramFacts& facts) {
    const CallProgramSettings settings = [this] {
        std::lock_guard lock(m_mutex);
        return m_settings;
    }();
    std::string error;
    std::optional<std::vector<std::string>> words = SplitArguments(settings.sParams, &error);
    if (settings.sProgram.empty())
        error = "no program is set";
    if (!words || settings.sProgram.empty()) {
        ReportStartFailure(error);
        return false;
    }
    const std::pair<const char*, std::string> fields[] = {
        {"call.number", Value(facts.sNumber)},
        {"call.name", Value(facts.sName)},
        {"call.file", Value(facts.sFile)},
        {"call.event", facts.sEvent},
    };
    std::vector<std::string> argv{settings.sProgram};
    for (const std::string& word : *words) {
        const auto* field = std::find_if(std::begin(fields), std::end(fields),
                                         [&](const auto& f) { return word == f.first; });
        argv.push_back(field != std::end(fields) ? field->second : word);
    }
    LaunchOptions options;
    options.bWait = true;
    options.nTimeoutMs = settings.nTimeLimitMs;
    options.bConverse = true;
    options.nMaxOutput = kMaxOutput;
    options.nCancelFd = m_cancel[0];
    options.environment = {
        "VORELLA_EVENT=" + facts.sEvent,       "VORELLA_NUMBER=" + fields[0].second,
        "VORELLA_NAME=" + fields[1].second,    "VORELLA_FILE=" + fields[2].second,
        "VORELLA_DECISION=" + facts.sDecision,
    };
    options.sInput = CJsonObject(kMaxValue)
                         .AddString("event", facts.sEvent)
                         .AddString("number", facts.sNumber)
                         .AddString("name", facts.sName)
                         .AddString("file", facts.sFile)
                         .AddString("decision", facts.sDecision)
                         .AddString("rule", facts.sRule)
                         .AddNumber("rings", facts.nRings)
                         .AddBool("answered", facts.bAnswered)
                         .Text() +
                     "\n";

    bool bRefused = false;
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_jobs, [](const std::shared_ptr<Job>& j) {
            if (j->bDone)
                j->thread.join(); // it has nothing left to do but return
            return j->bDone;
        });
        if (m_bStopped)
            return false;
        bRefused = m_jobs.size() >= static_cast<size_t>(kMaxRunning);
        if (!bRefused) {
            ++m_nStarted;
            if (settings.bPause && m_nPausing++ == 0 && m_pause)
                m_pause(true);
            auto job = std::make_shared<Job>();
            job->thread = std::thread([this, job, argv, options, bPausing = settings.bPause] {
                NameThisThread("call-program");
                Finished(argv[0], bPausing, LaunchProcess(argv, options));
                std::lock_guard lock(m_mutex);
                job->bDone = true;
            });
            m_jobs.push_back(std::move(job));
        }
    }
    if (bRefused)
        m_report(StrPrintf("The call program was not started for the %s event: %d programs "
                           "still run",
                           facts.sEvent.c_str(), kMaxRunning));
    return !bRefused;
}

void CCallProgram::Finished(const std::string& program, bool bPausing, const LaunchResult& r) {
    if (r.status == LaunchStatus::NotFound || r.status == LaunchStatus::Failed) {
        ReportStartFailure(r.error);
    } else {
        {
            std::lock_guard lock(m_mutex);
            m_sFailureTold.clear();
        }
        m_report((r.status == LaunchStatus::Exited
                      ? StrPrintf("The call program %s ended with exit status %d", program.c_str(),
                                  r.nExitCode)
                      : "The call program was ended: " + r.error) +
                 OutputText(r));
    }
    bool bResume = false;
    if (bPausing) {
        std::lock_guard lock(m_mutex);
        bResume = --m_nPausing == 0;
    }
    if (bResume && m_pause)
        m_pause(false);
}

void CCallProgram::OnEvent(const CallEvent& event) {
    if (const auto* ring = std::get_if<CallRinging>(&event)) {
        if (ring->nRings <= 1 || !m_bInCall) {
            m_call = CallProgramFacts{};
            m_bInCall = true;
            m_bBlocked = m_bRan = false;
        }
        m_call.nRings = ring->nRings;
    } else if (!m_bInCall) {
        return;
    } else if (const auto* caller = std::get_if<CallerIdentified>(&event)) {
        m_call.sNumber = caller->sNumber;
        m_call.sName = caller->sName;
    } else if (const auto* screened = std::get_if<CallScreened>(&event)) {
        m_call.sDecision = ScreenActionWord(screened->action);
        m_call.sRule = screened->sRule;
        m_bBlocked = IsBlocked(screened->action);
        CallDone("caller");
    } else if (std::holds_alternative<CallAnswered>(event)) {
        m_call.bAnswered = true;
    } else if (const auto* stored = std::get_if<RecordingStored>(&event)) {
        m_call.sFile = stored->sFile;
    } else if (std::holds_alternative<CallEnded>(event)) {
        m_bInCall = false;
        CallDone(m_call.bAnswered ? "ended" : "missed");
    }
}

// The call has reached the point named: the program is started when it is
// the one the settings choose.
void CCallProgram::CallDone(const char* sEvent) {
    const CallProgramSettings s = [this] {
        std::lock_guard lock(m_mutex);
        return m_settings;
    }();
    const std::string point = sEvent;
    const bool bWanted = s.bNotAnswered ? point == "missed"
                         : s.bAfter     ? point != "caller"
                                        : point == "caller";
    if (!s.bEnabled || !bWanted || m_bRan || (s.bSkipBlocked && m_bBlocked))
        return;
    m_bRan = true;
    m_call.sEvent = point;
    Run(m_call);
}

#include "engine/CallEvents.h"

#include "platform/TextUtil.h"

#include <algorithm>
#include <utility>

CallEvent LineEvent(DeviceState state, DeviceKind kind, const std::string& sDevice,
                    const std::string& sReason) {
    if (state == DeviceState::Open)
        return LineBack{kind, sDevice};
    return LineLost{state, kind, sDevice, sReason};
}

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

struct CCallEventPublisher::Subscriber {
    int id = 0;
    std::string name;
    Handler handler;
    Report report;
    size_t capacity = 1;
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<CallEvent> queue; // under mutex
    bool bStop = false;          // under mutex
    bool bDrain = false;         // under mutex: deliver what is queued before the end
    uint64_t nDropped = 0;       // under mutex: all so far
    uint64_t nUntold = 0;        // under mutex: dropped since the last report
    std::thread thread;
};

namespace {

std::string DropText(uint64_t nDropped, const std::string& name) {
    return StrPrintf("call events: %llu not delivered to the %s (it fell behind)",
                     static_cast<unsigned long long>(nDropped), name.c_str());
}

} // namespace

CCallEventPublisher::CCallEventPublisher(Report report) : m_report(std::move(report)) {}

CCallEventPublisher::~CCallEventPublisher() {
    Stop();
}

void CCallEventPublisher::Deliver(const std::shared_ptr<Subscriber>& sub) {
    for (;;) {
        std::optional<CallEvent> event;
        uint64_t nUntold = 0;
        {
            std::unique_lock lock(sub->mutex);
            sub->cv.wait(lock, [&] { return sub->bStop || !sub->queue.empty(); });
            if (sub->bStop && (!sub->bDrain || sub->queue.empty())) {
                nUntold = std::exchange(sub->nUntold, 0);
                lock.unlock();
                if (nUntold && sub->report)
                    sub->report(DropText(nUntold, sub->name));
                return;
            }
            event = std::move(sub->queue.front());
            sub->queue.pop_front();
            nUntold = std::exchange(sub->nUntold, 0);
        }
        // The burst of drops is over once the subscriber takes an event.
        if (nUntold && sub->report)
            sub->report(DropText(nUntold, sub->name));
        sub->handler(*event);
    }
}

void CCallEventPublisher::End(const std::shared_ptr<Subscriber>& sub, bool bDrain) {
    {
        std::lock_guard lock(sub->mutex);
        sub->bStop = true;
        sub->bDrain = bDrain;
    }
    sub->cv.notify_all();
    if (sub->thread.get_id() == std::this_thread::get_id())
        sub->thread.detach(); // its own handler ended it: it ends when that returns
    else if (sub->thread.joinable())
        sub->thread.join();
}

int CCallEventPublisher::Subscribe(const std::string& name, Handler handler, size_t capacity) {
    auto sub = std::make_shared<Subscriber>();
    sub->name = name;
    sub->handler = std::move(handler);
    sub->report = m_report;
    sub->capacity = std::max<size_t>(capacity, 1);
    std::lock_guard lock(m_mutex);
    sub->id = m_nNextId++;
    sub->thread = std::thread([sub] { Deliver(sub); });
    m_subscribers.push_back(sub);
    return sub->id;
}

void CCallEventPublisher::Unsubscribe(int id, bool bDrain) {
    std::shared_ptr<Subscriber> sub;
    {
        std::lock_guard lock(m_mutex);
        auto it = std::find_if(m_subscribers.begin(), m_subscribers.end(),
                               [id](const auto& s) { return s->id == id; });
        if (it == m_subscribers.end())
            return;
        sub = *it;
        m_subscribers.erase(it);
    }
    End(sub, bDrain);
}

void CCallEventPublisher::Publish(const CallEvent& event) {
    std::vector<std::shared_ptr<Subscriber>> subs;
    {
        std::lock_guard lock(m_mutex);
        subs = m_subscribers;
    }
    for (const auto& sub : subs) {
        {
            std::lock_guard lock(sub->mutex);
            if (sub->bStop)
                continue;
            if (sub->queue.size() >= sub->capacity) {
                sub->queue.pop_front();
                ++sub->nDropped;
                ++sub->nUntold;
            }
            sub->queue.push_back(event);
        }
        sub->cv.notify_one();
    }
}

void CCallEventPublisher::Stop() {
    std::vector<std::shared_ptr<Subscriber>> subs;
    {
        std::lock_guard lock(m_mutex);
        subs.swap(m_subscribers);
    }
    for (const auto& sub : subs)
        End(sub, true);
}

uint64_t CCallEventPublisher::Dropped(int id) const {
    std::shared_ptr<Subscriber> sub;
    {
        std::lock_guard lock(m_mutex);
        for (const auto& s : m_subscribers)
            if (s->id == id)
                sub = s;
    }
    if (!sub)
        return 0;
    std::lock_guard lock(sub->mutex);
    return sub->nDropped;
}

#include "frontend/CoreLoop.h"

#include "app/BasicWindow.h"
#include "platform/TickCount.h"

#include <algorithm>

namespace {
// A client that connected but has not sent its whole request is dropped at
// its deadline; while one is connected the loop looks at least this often.
constexpr uint32_t kClientCheckMs = 500;
} // namespace

CCoreLoop::CCoreLoop(CBasicWindow& window, QObject* parent) : QObject(parent), m_window(window) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &CCoreLoop::OnTimer);
    WatchSockets();
    Rearm();
}

CCoreLoop::~CCoreLoop() = default;

void CCoreLoop::Rearm() {
    std::optional<uint32_t> next = m_window.Timers().MsUntilNext(GetTickCount());
    if (!m_window.Control().Server().ClientFds().empty())
        next = std::min(next.value_or(kClientCheckMs), kClientCheckMs);
    if (!next || m_window.IsQuitPosted()) {
        m_timer.stop();
        return;
    }
    m_timer.start(static_cast<int>(*next));
}

void CCoreLoop::OnTimer() {
    m_window.RunDueTimers();
    if (!m_window.Control().Server().ClientFds().empty())
        ServeSocket();
    Rearm();
}

void CCoreLoop::OnSocket() {
    ServeSocket();
    Rearm();
}

void CCoreLoop::ServeSocket() {
    // Not waiting: a notifier said there is something to read.
    m_window.Control().Process(0);
    WatchSockets();
}

void CCoreLoop::WatchSockets() {
    ControlServer& server = m_window.Control().Server();
    std::vector<int> fds = server.ClientFds();
    if (server.IsListening())
        fds.push_back(server.ListenFd());
    const std::vector<int> watched = server.WatchedFds();
    fds.insert(fds.end(), watched.begin(), watched.end());
    for (auto it = m_notifiers.begin(); it != m_notifiers.end();) {
        if (std::find(fds.begin(), fds.end(), it->first) == fds.end())
            it = m_notifiers.erase(it);
        else
            ++it;
    }
    for (int fd : fds) {
        if (m_notifiers.count(fd))
            continue;
        auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Read);
        if (std::find(watched.begin(), watched.end(), fd) != watched.end())
            connect(notifier.get(), &QSocketNotifier::activated, this, [this, fd] {
                m_window.Control().Server().ServeWatched(fd);
                WatchSockets();
                Rearm();
            });
        else
            connect(notifier.get(), &QSocketNotifier::activated, this, &CCoreLoop::OnSocket);
        m_notifiers.emplace(fd, std::move(notifier));
    }
}

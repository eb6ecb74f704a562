// Drives the core's hidden window from the Qt event loop without polling:
// one single-shot timer armed for the next of the window's timers, and
// socket notifiers on the control socket, its connected clients and the
// other descriptors the window watches (a headset's buttons).
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <map>
#include <memory>

class CBasicWindow;

class CCoreLoop : public QObject {
    Q_OBJECT
public:
    explicit CCoreLoop(CBasicWindow& window, QObject* parent = nullptr);
    ~CCoreLoop() override;

    // The window's timers changed: arm for the next one due.
    void Rearm();
    // Milliseconds the loop's timer is armed for; -1 when it is not (tests).
    int ArmedMs() const { return m_timer.isActive() ? m_timer.interval() : -1; }
    // How many descriptors are watched (the listening socket, its clients, the window's others).
    size_t WatchedSockets() const { return m_notifiers.size(); }
    // The window watches other descriptors now: the notifiers follow.
    void WatchSockets();

private:
    void OnTimer();
    void OnSocket();
    void ServeSocket();

    CBasicWindow& m_window;
    QTimer m_timer;
    std::map<int, std::unique_ptr<QSocketNotifier>> m_notifiers;
};

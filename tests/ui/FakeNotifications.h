// A stand-in for the desktop's notification service on the test's private
// session bus: it notes every notice it is given and sends the signals a
// user's click would make the real one send.
#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

struct ReceivedNotice {
    QString app;
    uint replaces;
    QString summary;
    QString body;
    QStringList actions;
    int timeoutMs;
};

class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit FakeNotifications(QDBusConnection bus) : m_bus(bus) {}

    bool Register() {
        return m_bus.registerService("org.freedesktop.Notifications") &&
               m_bus.registerObject("/org/freedesktop/Notifications", this,
                                    QDBusConnection::ExportAllSlots);
    }

    // A click on one of the notice's actions.
    void Invoke(uint id, const QString& action) {
        QDBusMessage signal = QDBusMessage::createSignal(
            "/org/freedesktop/Notifications", "org.freedesktop.Notifications", "ActionInvoked");
        signal << id << action;
        m_bus.send(signal);
    }

    QList<ReceivedNotice> notices;
    QList<uint> closed;

public slots:
    uint Notify(const QString& app, uint replaces, const QString&, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap&,
                int timeoutMs) {
        notices.append({app, replaces, summary, body, actions, timeoutMs});
        return replaces != 0 ? replaces : ++m_nLastId;
    }
    void CloseNotification(uint id) { closed.append(id); }
    QStringList GetCapabilities() { return {"actions", "body"}; }

private:
    QDBusConnection m_bus;
    uint m_nLastId = 41;
};

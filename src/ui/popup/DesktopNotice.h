// The incoming-call notice where a program cannot place its own window (a
// Wayland session): a desktop notification (org.freedesktop.Notifications)
// with the actions "Record" and "Show", "Answer" on a line that can talk
// at the PC, and "Block caller", "Add to contacts" and "Always let through"
// for a caller with a number. A further ring of the same call
// replaces the notice, which starts its display time again.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

class CDesktopNotice : public QObject {
    Q_OBJECT
public:
    static constexpr const char* kService = "org.freedesktop.Notifications";
    static constexpr const char* kPath = "/org/freedesktop/Notifications";

    explicit CDesktopNotice(const QDBusConnection& bus = QDBusConnection::sessionBus(),
                            QObject* parent = nullptr);

    // Shows (or replaces) the notice for ms; bAnswer offers "Answer", bList
    // the block, contact and permit actions.
    void Show(const QString& summary, const QString& body, int ms, bool bAnswer = false,
              bool bList = false);
    // Takes the notice down.
    void Close();
    // The id the notification service gave the notice now up (0: none).
    uint Id() const { return m_nId; }

signals:
    void showMainRequested();
    void recordRequested();
    void answerRequested();
    void blockRequested();
    void addContactRequested();
    void permitRequested();
    // The service answered a Notify call (for tests and the log).
    void shown(uint id);
    // The service could not be reached; the text says why.
    void failed(const QString& error);

private slots:
    void OnActionInvoked(uint id, const QString& action);
    void OnClosed(uint id, uint reason);

private:
    QDBusConnection m_bus;
    uint m_nId = 0;
};

// Where a program cannot place its own pop-up (Wayland), the incoming call
// is a desktop notification: checked against a fake notification service on
// a private session bus, as the desktop's own would see it.
#include "popup/DesktopNotice.h"
#include "popup/CallNotifier.h"
#include "popup/NotifyDlg.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// A stand-in for the desktop's notification service on the test's private
// session bus: it notes every notice it is given and sends the signals a
// user's click would make the real one send.
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

TEST(DesktopNotice, TheCallGoesToTheNotificationServiceWithRecordAndShow) {
    // The service on a connection of its own, as another process would be.
    QDBusConnection serviceBus =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "fake-notifications");
    ASSERT_TRUE(serviceBus.isConnected()) << "needs a session bus (dbus-run-session)";
    FakeNotifications service(serviceBus);
    ASSERT_TRUE(service.Register()) << serviceBus.lastError().message().toStdString();

    CCallNotifier notifier(CCallNotifier::Kind::DesktopNotice);
    ASSERT_NE(notifier.Notice(), nullptr);
    EXPECT_EQ(notifier.Popup(), nullptr) << "no window of its own";
    QSignalSpy shown(notifier.Notice(), &CDesktopNotice::shown);
    QSignalSpy record(&notifier, &CCallNotifier::recordRequested);
    QSignalSpy showMain(&notifier, &CCallNotifier::showMainRequested);

    notifier.ShowCall(8000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 1; }, 10000));
    ASSERT_EQ(service.notices.size(), 1);
    const ReceivedNotice first = service.notices[0];
    EXPECT_EQ(first.summary, "Incoming call...");
    EXPECT_EQ(first.replaces, 0u);
    EXPECT_EQ(first.timeoutMs, 8000);
    // A modem does not talk at the PC: no "answer"; no caller to block yet.
    const QStringList recordAndShow = {"record", "Record", "show", "Show", "default", "Show"};
    EXPECT_EQ(first.actions, recordAndShow);
    const uint id = notifier.Notice()->Id();
    EXPECT_NE(id, 0u);

    // The caller ID replaces the notice (markup in a name stays text); a
    // further ring replaces it again, which starts its time again.
    notifier.SetCaller("JOHN <i>DOE</i>", "5551234");
    notifier.RestartCloseTimer(8000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 3; }, 10000));
    EXPECT_EQ(service.notices[1].replaces, id);
    EXPECT_EQ(service.notices[1].summary, "JOHN <i>DOE</i>");
    EXPECT_EQ(service.notices[1].body, "5551234");
    EXPECT_EQ(service.notices[2].replaces, id);

    // Another program's notice clicked: none of ours.
    service.Invoke(id + 100, "record");
    service.Invoke(id, "record");
    ASSERT_TRUE(QTest::qWaitFor([&] { return record.count() == 1; }, 10000));
    service.Invoke(id, "show");
    ASSERT_TRUE(QTest::qWaitFor([&] { return showMain.count() == 1; }, 10000));
    EXPECT_EQ(record.count(), 1);

    // On a line that talks at the PC the notice offers "Answer".
    QSignalSpy answer(&notifier, &CCallNotifier::answerRequested);
    notifier.SetAnswer(true, true);
    notifier.RestartCloseTimer(8000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.count() == 4; }, 10000));
    // A caller with a number can be blocked, made a contact or let through.
    const QStringList lists = {"block",  "Block caller", "contact", "Add to contacts",
                               "permit", "Always let through"};
    EXPECT_EQ(service.notices[3].actions, QStringList({"answer", "Answer"}) + recordAndShow + lists);
    service.Invoke(id, "answer");
    ASSERT_TRUE(QTest::qWaitFor([&] { return answer.count() == 1; }, 10000));
    QSignalSpy block(&notifier, &CCallNotifier::blockRequested);
    service.Invoke(id, "block");
    ASSERT_TRUE(QTest::qWaitFor([&] { return block.count() == 1; }, 10000));
    EXPECT_EQ(block.at(0), QVariantList{"5551234"});

    notifier.Close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.closed.size() == 1; }, 10000));
    EXPECT_EQ(service.closed[0], id);
    serviceBus.unregisterService("org.freedesktop.Notifications");
    QDBusConnection::disconnectFromBus("fake-notifications");
}

TEST(DesktopNotice, WithoutAServiceTheCallStillShowsInThePopupWindow) {
    // Nobody serves the name on this bus in this test.
    CCallNotifier notifier(CCallNotifier::Kind::DesktopNotice);
    QSignalSpy failed(notifier.Notice(), &CDesktopNotice::failed);
    notifier.SetCaller("JOHN DOE", "5551234");
    notifier.ShowCall(8000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return failed.count() == 1; }, 30000));
    EXPECT_EQ(notifier.Notice()->Id(), 0u);
    ASSERT_NE(notifier.Popup(), nullptr);
    EXPECT_TRUE(notifier.Popup()->isVisible());
    EXPECT_EQ(notifier.Popup()->FirstLine(), "JOHN DOE");
    notifier.Close();
}

#include "DesktopNoticeTest.moc"

#include "popup/DesktopNotice.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace {
constexpr const char* kInterface = "org.freedesktop.Notifications";
constexpr const char* kActionRecord = "record";
constexpr const char* kActionShow = "show";
constexpr const char* kActionAnswer = "answer";
constexpr const char* kActionBlock = "block";
constexpr const char* kActionAddContact = "contact";
constexpr const char* kActionPermit = "permit";
// The notice body itself, where the service lets it be clicked.
constexpr const char* kActionDefault = "default";
} // namespace

CDesktopNotice::CDesktopNotice(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), m_bus(bus) {
    m_bus.connect(kService, kPath, kInterface, "ActionInvoked", this,
                  SLOT(OnActionInvoked(uint, QString)));
    m_bus.connect(kService, kPath, kInterface, "NotificationClosed", this,
                  SLOT(OnClosed(uint, uint)));
}

void CDesktopNotice::Show(const QString& summary, const QString& body, int ms, bool bAnswer,
                          bool bList) {
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, "Notify");
    QStringList actions;
    if (bAnswer)
        actions << kActionAnswer << tr("Answer");
    actions << kActionRecord << tr("Record") << kActionShow << tr("Show") << kActionDefault
            << tr("Show");
    if (bList)
        actions << kActionBlock << tr("Block caller") << kActionAddContact << tr("Add to contacts")
                << kActionPermit << tr("Always let through");
    QVariantMap hints;
    hints.insert("urgency", QVariant::fromValue<uchar>(1));
    hints.insert("category", QString("im.received"));
    // Service, replaced id, icon, summary, body, actions, hints, expiry.
    call << QString("Vorella") << m_nId << QString("call-start") << summary
         << body.toHtmlEscaped() << actions << hints << ms;
    // Asynchronous: a slow or absent service must not hold up the windows.
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this](QDBusPendingCallWatcher* w) {
                QDBusPendingReply<uint> reply = *w;
                w->deleteLater();
                if (reply.isError()) {
                    emit failed(reply.error().message());
                    return;
                }
                m_nId = reply.value();
                emit shown(m_nId);
            });
}

void CDesktopNotice::Close() {
    if (m_nId == 0)
        return;
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, "CloseNotification");
    call << m_nId;
    m_bus.asyncCall(call);
    m_nId = 0;
}

void CDesktopNotice::OnActionInvoked(uint id, const QString& action) {
    // Other programs' notices come through the same signal.
    if (id == 0 || id != m_nId)
        return;
    if (action == kActionRecord)
        emit recordRequested();
    else if (action == kActionAnswer)
        emit answerRequested();
    else if (action == kActionBlock)
        emit blockRequested();
    else if (action == kActionAddContact)
        emit addContactRequested();
    else if (action == kActionPermit)
        emit permitRequested();
    else if (action == kActionShow || action == kActionDefault)
        emit showMainRequested();
}

void CDesktopNotice::OnClosed(uint id, uint) {
    if (id != 0 && id == m_nId)
        m_nId = 0;
}

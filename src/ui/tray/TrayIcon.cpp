#include "ui/tray/TrayIcon.h"

#include "app/BasicWindow.h"
#include "app/Brand.h"
#include "app/CommandIds.h"
#include "app/TrayLogic.h"
#include "ui/tray/TrayMenu.h"
#include "ui/tray/TrayPictures.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QGuiApplication>
#include <QMenu>
#include <QStyleHints>

namespace {
// The panel side of the status-notifier protocol: while it is on the session
// bus, QSystemTrayIcon speaks to it.
const char* const kPanelService = "org.kde.StatusNotifierWatcher";

// Branding "Title": the tooltip and the product item of the menu.
QString BrandTitle() {
    const std::string& title = AppBrand().sTitle;
    return QString::fromStdString(title.empty() ? std::string("Vorella") : title);
}
} // namespace

CTrayIcon::CTrayIcon(CBasicWindow& window, QObject* parent)
    : QObject(parent), m_window(window), m_sTitle(BrandTitle()), m_sTooltip(m_sTitle) {
    m_pMenu = MakeTrayMenu(m_sTitle, [this](int id) { m_window.OnCommand(id); });
    m_pIcon = std::make_unique<QSystemTrayIcon>();
    m_pIcon->setContextMenu(m_pMenu.get());
    // The last caller and the switch may have changed since it was last shown.
    connect(m_pMenu.get(), &QMenu::aboutToShow, this, &CTrayIcon::ScreeningChanged);
    ScreeningChanged();
    connect(m_pIcon.get(), &QSystemTrayIcon::activated, this, &CTrayIcon::OnActivated);
    m_animation.setInterval(static_cast<int>(kTrayAnimationMs));
    connect(&m_animation, &QTimer::timeout, this, &CTrayIcon::NextFrame);

    if (auto* hints = QGuiApplication::styleHints()) {
        m_window.SetDoubleClickTime(static_cast<unsigned>(hints->mouseDoubleClickInterval()));
        connect(hints, &QStyleHints::mouseDoubleClickIntervalChanged, this,
                [this](int ms) { m_window.SetDoubleClickTime(static_cast<unsigned>(ms)); });
    }
    // A panel that restarts knows nothing of us; Qt registers the icon with
    // it again by itself, with the picture of the moment. (Qt decides once
    // per process whether it speaks to a panel at all: a panel that first
    // appears after the icon was made is not used.)
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected()) {
        auto* panel = new QDBusServiceWatcher(QString::fromLatin1(kPanelService), bus,
                                              QDBusServiceWatcher::WatchForRegistration |
                                                  QDBusServiceWatcher::WatchForUnregistration,
                                              this);
        auto report = [this] { emit availabilityChanged(IsAvailable()); };
        connect(panel, &QDBusServiceWatcher::serviceRegistered, this, report);
        connect(panel, &QDBusServiceWatcher::serviceUnregistered, this, report);
    }
}

CTrayIcon::~CTrayIcon() {
    m_animation.stop();
    m_pIcon.reset();
}

bool CTrayIcon::IsAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::Show() {
    if (m_nShown == 0) {
        m_nShown = kTrayPicCreated;
        SetFrame(kTrayPicCreated);
    }
    m_pIcon->show();
    m_window.WakeTray();
}

void CTrayIcon::SetState(int) {
    // The flags the picture depends on are set right after the state; the
    // next tick of timer 3 shows them.
    m_window.WakeTray();
}

void CTrayIcon::ScreeningChanged() {
    const TrayScreening now = m_window.TrayScreeningNow();
    if (QAction* block = TrayMenuAction(*m_pMenu, kCmdBlockLastCaller))
        block->setEnabled(now.bCanBlockLastCaller);
    if (QAction* pause = TrayMenuAction(*m_pMenu, kCmdPauseScreening))
        pause->setChecked(now.bPaused);
    ApplyTooltip();
}

void CTrayIcon::ApplyTooltip() {
    if (m_window.TrayScreeningNow().bPaused)
        m_pIcon->setToolTip(m_sTooltip + "\n" +
                           QCoreApplication::translate("CTrayIcon", "Call screening paused"));
    else
        m_pIcon->setToolTip(m_sTooltip);
}

void CTrayIcon::SetTooltip(const std::string& s) {
    m_sTooltip = QString::fromStdString(s);
    // A caller's number comes with each call: the last caller changed.
    ScreeningChanged();
    // The worker sets the tooltip when a call comes in: the call may soon be
    // recorded, which timer 3 must follow.
    m_window.WakeTray();
}

void CTrayIcon::Tick() {
    const int nPicture = m_window.TrayIconId();
    if (nPicture != m_nShown && nPicture != kTrayPicCreated)
        ShowPicture(nPicture);
}

void CTrayIcon::ShowPicture(int nPicture) {
    // Pausing and recording take back a caller's number from the tooltip.
    if (nPicture == kTrayPicPaused || nPicture == kTrayPicRecording) {
        m_sTooltip = m_sTitle;
        ApplyTooltip();
    }
    m_nShown = nPicture;
    SetFrame(nPicture);
    if (IsAnimatedPicture(nPicture))
        m_animation.start();
    else
        m_animation.stop();
}

void CTrayIcon::SetFrame(int nPicture) {
    m_nFrame = nPicture;
    m_pIcon->setIcon(TrayPictureIcon(nPicture));
}

void CTrayIcon::NextFrame() {
    SetFrame(m_nFrame == kTrayPicBlank ? m_nShown : kTrayPicBlank);
}

void CTrayIcon::OnActivated(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
    case QSystemTrayIcon::Trigger:
        m_window.OnTrayClick(CBasicWindow::TrayClick::Left);
        break;
    case QSystemTrayIcon::DoubleClick:
        m_window.OnTrayClick(CBasicWindow::TrayClick::Double);
        break;
    case QSystemTrayIcon::MiddleClick:
        m_window.OnTrayClick(CBasicWindow::TrayClick::Middle);
        break;
    case QSystemTrayIcon::Context:
    case QSystemTrayIcon::Unknown:
        // The menu is shown by Qt (or by the panel, from the exported menu).
        break;
    }
}

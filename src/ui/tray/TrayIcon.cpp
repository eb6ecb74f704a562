#include "TrayIcon.h"

#include <QSystemTrayIcon>

CTrayIcon::CTrayIcon(CBasicWindow& window, QObject* parent) : QObject(parent), m_window(window) {}

CTrayIcon::~CTrayIcon() = default;

bool CTrayIcon::IsAvailable() const {
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void CTrayIcon::Show() {}

void CTrayIcon::SetState(int nTrayState) {
    m_nState = nTrayState;
}

void CTrayIcon::Tick() {}

void CTrayIcon::SetTooltip(const std::string& s) {
    m_sTooltip = s;
}

// The tray icon: the line's state in the notification area, its tooltip and
// its menu, owned by the front end for the hidden window.
#pragma once

#include <QObject>

#include <string>

class CBasicWindow;

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit CTrayIcon(CBasicWindow& window, QObject* parent = nullptr);
    ~CTrayIcon() override;

    // False where the desktop has no notification area.
    bool IsAvailable() const;
    // Adds the icon (picture 526 at creation).
    void Show();
    // From IAppFrontEnd::TrayStateChanged.
    void SetState(int nTrayState);
    // From IAppFrontEnd::TrayTick (the hidden window's timer 3).
    void Tick();
    // From IUiBridge::SetTrayTooltip.
    void SetTooltip(const std::string& s);

signals:
    void availabilityChanged(bool bAvailable);

private:
    CBasicWindow& m_window;
    std::string m_sTooltip;
    int m_nState = 0;
};

// The tray icon of the desktop program. It shows the picture the hidden
// window chose for the line (CBasicWindow::TrayIconId) and animates the
// recording and playing pictures, carries the tooltip and the tray menu, and
// hands clicks to the hidden window. When the desktop panel restarts, the
// icon is added again with the picture of the moment (Qt does that itself
// for the status-notifier panels).
#pragma once

#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>
#include <string>

class CBasicWindow;
class QMenu;

class CTrayIcon : public QObject {
    Q_OBJECT
public:
    explicit CTrayIcon(CBasicWindow& window, QObject* parent = nullptr);
    ~CTrayIcon() override;

    // False where the desktop has no notification area.
    bool IsAvailable() const;
    // Adds the icon (the picture of creation).
    void Show();
    // The tray state number changed (4 = paused).
    void SetState(int nTrayState);
    // Timer 3: shows the picture the hidden window chose, when it changed.
    void Tick();
    // The worker's tooltip (the caller's number on a call).
    void SetTooltip(const std::string& s);
    // Screening was paused or switched on, or a caller blocked: the menu's
    // screening items and the tooltip follow.
    void ScreeningChanged();

    // The picture now shown (a resource id, 0 before Show), and the frame of
    // its animation (the blank frame half of the time).
    int ShownPicture() const { return m_nShown; }
    int ShownFrame() const { return m_nFrame; }
    QMenu* Menu() const { return m_pMenu.get(); }

signals:
    void availabilityChanged(bool bAvailable);

private:
    void ShowPicture(int nPicture);
    void SetFrame(int nPicture);
    void NextFrame();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    // The tooltip: the worker's or the title, and whether screening is paused.
    void ApplyTooltip();

    CBasicWindow& m_window;
    std::unique_ptr<QMenu> m_pMenu;
    std::unique_ptr<QSystemTrayIcon> m_pIcon;
    QTimer m_animation;
    QString m_sTitle;
    QString m_sTooltip;
    int m_nShown = 0;
    int m_nFrame = 0;
};

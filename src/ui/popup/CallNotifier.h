// The incoming-call notice, as the windowing system allows it: the pop-up
// window where a program may place its windows, a desktop notification
// where it may not (Wayland).
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class CNotifyDlg;
class CDesktopNotice;

class CCallNotifier : public QObject {
    Q_OBJECT
public:
    enum class Kind { PopupWindow, DesktopNotice };
    // The kind for a Qt platform plug-in name ("xcb", "wayland-egl" ...).
    static Kind KindFor(const QString& platformName);

    explicit CCallNotifier(Kind kind, QObject* parent = nullptr);
    ~CCallNotifier() override;

    Kind GetKind() const { return m_kind; }
    // The two lines: "Incoming call..." until the caller is known, then the
    // caller's name and number; a number offers blocking and permitting it.
    void SetCaller(const QString& name, const QString& number);
    // The "Answer" action: offered where the line can talk at the PC,
    // usable while the call can be taken to it. Set before ShowCall.
    void SetAnswer(bool bShown, bool bEnabled);
    // A ring: shown, or its display time restarted.
    void ShowCall(int ms);
    void RestartCloseTimer(int ms);
    void Close();

    CNotifyDlg* Popup() const { return m_pPopup.get(); }
    CDesktopNotice* Notice() const { return m_pNotice.get(); }

signals:
    void showMainRequested();
    void recordRequested();
    void answerRequested();
    // "Block caller", "Add to contacts", "Always let through" for the caller
    // shown (which may be an earlier call's than the line's now).
    void blockRequested(const QString& number);
    void addContactRequested(const QString& number, const QString& name);
    void permitRequested(const QString& number);

private:
    QString FirstLine() const;
    void MakePopup();
    // Shows or replaces the desktop notice for ms.
    void ShowNotice(int ms);
    // Both kinds ask through the same signals.
    template <class Source>
    void ForwardListCommands(Source* source);

    Kind m_kind;
    std::unique_ptr<CNotifyDlg> m_pPopup;
    std::unique_ptr<CDesktopNotice> m_pNotice;
    QString m_sName;
    QString m_sNumber;
    bool m_bAnswer = false;
    bool m_bAnswerEnabled = false;
    bool m_bList = false; // the caller has a number to block or permit
};

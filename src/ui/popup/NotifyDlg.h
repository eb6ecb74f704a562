// CNotifyDlg: the incoming-call pop-up. A small borderless window, on top of
// the others, in the bottom-right corner of the available area; it slides
// in, closes itself after its display time, and a further ring of the same
// call only restarts that time. A click on it asks for the main window, its
// record button for the recording to start or stop, its answer button (on
// a line that can talk at the PC) for the call to be talked at the PC, and
// for a caller with a number its "Block caller", "Add to contacts" and
// "Always let through" for that number.
#pragma once

#include <QPropertyAnimation>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;

class CNotifyDlg : public QWidget {
    Q_OBJECT
public:
    static constexpr int kCloseMs = 8000;
    static constexpr int kSlideMs = 300;

    explicit CNotifyDlg(QWidget* parent = nullptr);

    // The worker's two lines: the first starts as "Incoming call...".
    void SetLines(const QString& first, const QString& second);
    QString FirstLine() const;
    QString SecondLine() const;

    // Shows the pop-up for a ring: placed and slid in unless it is already
    // counting down; either way its close timer starts again at ms.
    void ShowCall(int ms = kCloseMs);
    // Restarts the close timer of a pop-up that is up.
    void RestartCloseTimer(int ms = kCloseMs);
    bool IsCountingDown() const { return m_closeTimer.isActive(); }
    // Milliseconds until it closes itself (-1 when it is not counting down).
    int CloseTimeLeft() const { return m_closeTimer.remainingTime(); }
    // Closes the pop-up now.
    void End();

    // The answer button: shown where the line can talk at the PC, enabled
    // while the call can be taken to it.
    void SetAnswer(bool bShown, bool bEnabled);

    // "Block caller", "Add to contacts", "Always let through": shown for a
    // caller with a number (OffersListCommands).
    void SetListCommands(bool bShown);

    QPushButton* RecordButton() const { return m_pRecord; }
    QPushButton* AnswerButton() const { return m_pAnswer; }
    QPushButton* BlockButton() const { return m_pBlock; }
    QPushButton* AddContactButton() const { return m_pAddContact; }
    QPushButton* PermitButton() const { return m_pPermit; }

signals:
    void showMainRequested();
    void recordRequested();
    void answerRequested();
    void blockRequested();
    void addContactRequested();
    void permitRequested();
    // The slide-in began (once per showing, not per ring).
    void slideInStarted();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    // A text button of the pop-up that closes it and emits done.
    QPushButton* AddButton(const char* name, const QString& text, void (CNotifyDlg::*done)());

    QLabel* m_pFirst;
    QLabel* m_pSecond;
    QPushButton* m_pRecord;
    QPushButton* m_pAnswer;
    QPushButton* m_pBlock;
    QPushButton* m_pAddContact;
    QPushButton* m_pPermit;
    QTimer m_closeTimer;
    QPropertyAnimation m_slide;
};

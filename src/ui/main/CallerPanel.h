// The current call's caller fields: name, number and the memo. While a
// recording runs, what the user types goes into the call's record once
// typing pauses, so the index is rewritten once per pause, not once per key.
// Beside them, the touch-tone keys the caller pressed on this call.
#pragma once

#include "app/MainWindowRules.h"

#include <QTimer>
#include <QWidget>

#include <string>

class QLineEdit;
class QPlainTextEdit;

class CCallerPanel : public QWidget {
    Q_OBJECT
public:
    // Timer 6: the pause after the last key before the record is written.
    static constexpr int kWritePauseMs = 300;

    explicit CCallerPanel(QWidget* parent = nullptr);

    // Shows the call's fields (from the worker); not an edit of the user.
    void SetFields(const std::string& sName, const std::string& sNumber, const std::string& sMemo);
    std::string Name() const;
    std::string Number() const;
    std::string Memo() const;
    bool IsWritePending() const { return m_pause.isActive(); }
    // The worker's reports for the key display: a call on the line (or no
    // longer), and a key (or tone) the device heard.
    void SetCallBusy(bool bBusy);
    void AppendToneKey(char key);
    // The record is written now: no write waits for a pause any more.
    void CancelPause() { m_pause.stop(); }

    QLineEdit* NameEdit() const { return m_pName; }
    QLineEdit* NumberEdit() const { return m_pNumber; }
    QPlainTextEdit* MemoEdit() const { return m_pMemo; }
    QLineEdit* KeysEdit() const { return m_pKeys; }

signals:
    // The user changed a field (at every key).
    void edited();
    // Typing paused: time to write the record.
    void writeDue();

private:
    void OnEdit();
    void ShowKeys();

    QLineEdit* m_pName;
    QLineEdit* m_pNumber;
    QPlainTextEdit* m_pMemo;
    QLineEdit* m_pKeys;
    CCallKeys m_keys;
    QTimer m_pause;
    bool m_bFilling = false;
};

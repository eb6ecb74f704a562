// "E-Mail": the notice of incoming calls, the mail server and its login,
// and a test message with what is typed.
#pragma once

#include "options/OptionsPage.h"

#include <atomic>
#include <memory>
#include <thread>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CEmailPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CEmailPage(QWidget* parent = nullptr);
    // A test still running is waited for (it ends by the server's time-outs).
    ~CEmailPage() override;
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QCheckBox* EmailBox() const { return m_pEmail; }
    QSpinBox* RingsBox() const { return m_pRings; }
    QLineEdit* AddressBox() const { return m_pAddress; }
    QCheckBox* DirectBox() const { return m_pDirect; }
    QLineEdit* ServerBox() const { return m_pServer; }
    QSpinBox* PortBox() const { return m_pPort; }
    QComboBox* SecurityBox() const { return m_pSecurity; }
    QLineEdit* UserBox() const { return m_pUser; }
    QLineEdit* PasswordBox() const { return m_pPassword; }
    QPushButton* TestButton() const { return m_pTest; }
    QSpinBox* RetryHoursBox() const { return m_pRetryHours; }

signals:
    // The test's result, as the user is told it.
    void testFinished(bool bSent, const QString& text);

private:
    void UpdateEnabled();
    void SendTest();
    void ShowTestResult(bool bSent, const QString& text);

    QCheckBox* m_pEmail;
    QSpinBox* m_pRings;
    QLineEdit* m_pAddress;
    QCheckBox* m_pDirect;
    QLineEdit* m_pServer;
    QSpinBox* m_pPort;
    QComboBox* m_pSecurity;
    QLineEdit* m_pUser;
    QLineEdit* m_pPassword;
    QPushButton* m_pTest;
    QSpinBox* m_pRetryHours;
    std::thread m_test;
    // Shared with the test's thread: false once the page is gone.
    std::shared_ptr<std::atomic<bool>> m_pAlive;
};

// "SIP Accounts": the SIP accounts whose lines the telephony line choice
// offers (name, registrar, user, password, transport, listen address and
// port), one at a time beside their list, with how the account's line
// stands with its registrar while this program has it open, followed as
// long as the dialog is open. OK checks them all and saves them into the
// settings; a problem keeps the dialog open and says what.
#pragma once

#include "app/SipAccountsLogic.h"
#include "sip/SipAccounts.h"

#include <QDialog>

#include <atomic>
#include <thread>
#include <vector>

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

class CSipAccountsDlg : public QDialog {
    Q_OBJECT
public:
    // Shows the accounts of the settings file.
    explicit CSipAccountsDlg(QWidget* parent = nullptr);
    // Waits for a look at the line still under way (it only asks the line).
    ~CSipAccountsDlg() override;

    QListWidget* List() const { return m_pList; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* RemoveButton() const { return m_pRemove; }
    QLineEdit* NameEdit() const { return m_pName; }
    QLineEdit* RegistrarEdit() const { return m_pRegistrar; }
    QLineEdit* UserEdit() const { return m_pUser; }
    QLineEdit* PasswordEdit() const { return m_pPassword; }
    QComboBox* TransportBox() const { return m_pTransport; }
    QLineEdit* AddressEdit() const { return m_pAddress; }
    QSpinBox* PortBox() const { return m_pPort; }
    QLabel* ProblemLabel() const { return m_pProblems; }
    QLabel* RegistrationLabel() const { return m_pRegistration; }

    void accept() override;

private:
    void Show(int nRow); // the fields from account nRow (-1: none)
    void Keep();         // the fields into the account shown
    void Add();
    void Remove();
    QString ListText(const SipAccount& a) const;
    // Asks the open line how it stands, on a thread of its own (a provider
    // starting meanwhile is waited for), then shows it.
    void FollowRegistration();
    void ShowRegistration();

    std::vector<SipAccount> m_accounts;
    int m_nShown = -1;
    QListWidget* m_pList;
    QPushButton* m_pAdd;
    QPushButton* m_pRemove;
    QLineEdit* m_pName;
    QLineEdit* m_pRegistrar;
    QLineEdit* m_pUser;
    QLineEdit* m_pPassword;
    QComboBox* m_pTransport;
    QLineEdit* m_pAddress;
    QSpinBox* m_pPort;
    QLabel* m_pProblems;
    QLabel* m_pRegistration;
    SipLineRegistration m_registration; // as the open line last said
    std::thread m_asking;
    std::atomic<bool> m_bAsking{false};
};

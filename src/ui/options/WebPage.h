// "Web Page": the program's web page ([Web]), served while the program
// runs: the switch, the address and port it listens on, HTTPS with its
// certificate, the login password (its own dialog) and the address to open
// in a browser. An address other people's computers can reach is warned of,
// and switches HTTPS on as the default for it.
#pragma once

#include "options/OptionsPage.h"

#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

class CWebPage : public COptionsPage {
    Q_OBJECT
public:
    explicit CWebPage(QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QCheckBox* EnableBox() const { return m_pEnable; }
    QLineEdit* AddressBox() const { return m_pAddress; }
    QSpinBox* PortBox() const { return m_pPort; }
    QCheckBox* HttpsBox() const { return m_pHttps; }
    QLineEdit* CertFileBox() const { return m_pCertFile; }
    QLineEdit* KeyFileBox() const { return m_pKeyFile; }
    QPushButton* PasswordButton() const { return m_pSetPassword; }
    QLabel* PasswordNote() const { return m_pPasswordNote; }
    // Shown while the address is not a loopback one.
    QLabel* Warning() const { return m_pWarning; }
    // "Open http://127.0.0.1:8640/ in a web browser."
    QLabel* AddressNote() const { return m_pAddressNote; }
    // Why the running page did not start, when it did not.
    QLabel* Note() const { return m_pNote; }

private:
    std::string Address() const; // as typed, or the default
    void AddressEdited();
    void Follow(); // what shows and what can be changed, after any change
    void SetPassword();

    QCheckBox* m_pEnable;
    QLineEdit* m_pAddress;
    QLabel* m_pWarning;
    QSpinBox* m_pPort;
    QCheckBox* m_pHttps;
    QLineEdit* m_pCertFile;
    QLineEdit* m_pKeyFile;
    QLabel* m_pPasswordNote;
    QPushButton* m_pSetPassword;
    QLabel* m_pAddressNote;
    QLabel* m_pNote;
    bool m_bLoopback = true; // the address was a loopback one before the last edit
    std::string m_sPasswordHash;
};

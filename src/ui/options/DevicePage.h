// "Telephone Device": the kind of device, the modem's port and command
// profile, the telephony line with the sound card a call is talked at the
// PC through, and the USB adapter's sound card and input device (each
// enabled while its kind is chosen).
#pragma once

#include "options/OptionsPage.h"

class CAdapterFields;
class CLineListing;
class CTapiProviders;
class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;

class CDevicePage : public COptionsPage {
    Q_OBJECT
public:
    // The lines listed are those of the chosen provider of pProviders.
    explicit CDevicePage(const CTapiProviders* pProviders = nullptr, QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QComboBox* KindBox() const { return m_pKind; }
    QComboBox* PortBox() const { return m_pPort; }
    QComboBox* ModemBox() const { return m_pModem; }
    QComboBox* LineBox() const { return m_pLine; }
    QLabel* LineNote() const { return m_pLineNote; }
    CLineListing* Listing() const { return m_pListing; }
    QPushButton* SipAccountsButton() const { return m_pSipAccounts; }
    CAdapterFields* Adapter() const { return m_pAdapter; }
    QComboBox* TalkCardBox() const { return m_pTalkCard; }
    QCheckBox* TalkStereoBox() const { return m_pTalkStereo; }

    // "COM3 (/dev/ttyACM0)", as the port list shows a port.
    static QString PortText(int nPort);

private:
    void UpdateEnabled();
    // Opens "SIP Accounts"; the lines are listed again when it saved.
    void EditSipAccounts();

    QComboBox* m_pKind;
    QComboBox* m_pPort;
    QComboBox* m_pModem;
    QComboBox* m_pLine;
    QLabel* m_pLineNote;
    CLineListing* m_pListing;
    QPushButton* m_pSipAccounts;
    CAdapterFields* m_pAdapter;
    QComboBox* m_pTalkCard;
    QCheckBox* m_pTalkStereo;
    int m_nTapiLine = 0; // kept while no line is listed
    bool m_bSipAccountsSaved = false;
};

// "Telephone Device": the kind of device, the modem's port and command
// profile, and the telephony line.
#pragma once

#include "options/OptionsPage.h"

class QComboBox;
class QLabel;

class CDevicePage : public COptionsPage {
    Q_OBJECT
public:
    explicit CDevicePage(QWidget* parent = nullptr);
    void Load(const OptionsValues& v) override;
    void Save(OptionsValues& v) const override;

    QComboBox* KindBox() const { return m_pKind; }
    QComboBox* PortBox() const { return m_pPort; }
    QComboBox* ModemBox() const { return m_pModem; }
    QComboBox* LineBox() const { return m_pLine; }

    // "COM3 (/dev/ttyACM0)", as the port list shows a port.
    static QString PortText(int nPort);

private:
    void UpdateEnabled();

    QComboBox* m_pKind;
    QComboBox* m_pPort;
    QComboBox* m_pModem;
    QComboBox* m_pLine;
    QLabel* m_pLineNote;
    int m_nTapiLine = 0; // kept: no line can be chosen yet
};

// Page 4 of the set-up wizard: the modem's profile and its serial port. On
// showing, it detects the modem on a helper thread (unless page 2 said not
// to), with a progress bar and a Cancel; the suggestion selects the profile
// and the port the modem answered on.
#pragma once

#include "engine/SetupChoice.h"

#include <QWizardPage>

#include <functional>

class CModemDetection;
class IUiBridge;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

class CMyPropertyPage2 : public QWizardPage {
    Q_OBJECT
public:
    // skipDetection says whether page 2's check box is ticked; bridge takes
    // the detection's messages and questions.
    CMyPropertyPage2(const SetupWizardStart& start, IUiBridge& bridge,
                     std::function<bool()> skipDetection, QWidget* parent = nullptr);
    ~CMyPropertyPage2() override;

    // The choice: the port (0 none), the profile ("" none selected), and the
    // caller-ID type the detection found (-1 none).
    int ComPort() const;
    std::string Modem() const;
    int CidTypeFound() const { return m_nCidType; }

    bool isComplete() const override;

    bool IsDetecting() const;
    QListWidget* ModemList() const { return m_pModems; }
    QComboBox* PortBox() const { return m_pPorts; }
    QPushButton* CancelDetectionButton() const { return m_pCancel; }
    QLabel* DetectionLabel() const { return m_pStatus; }

signals:
    // Detection ended, with or without a suggestion, or was cancelled.
    void detectionEnded();

protected:
    void initializePage() override;

private:
    void FillModems();
    void FillPorts();
    void SelectModem(const QString& name);
    void SelectPort(int nPort);
    void StartDetection();
    void DetectionFinished(bool bFound, int nPort, const QString& sModem, int nCidType,
                           const QString& sWhy);
    void CancelDetection();
    void ShowDetecting(bool bOn);

    SetupWizardStart m_start;
    std::function<bool()> m_skipDetection;
    CModemDetection* m_pDetection;
    QListWidget* m_pModems;
    QComboBox* m_pPorts;
    QLabel* m_pStatus;
    QProgressBar* m_pProgress;
    QPushButton* m_pCancel;
    int m_nCidType = -1;
    bool m_bDetected = false; // one detection per run of the wizard
};

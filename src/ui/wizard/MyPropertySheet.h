// The set-up wizard: how the program reaches the telephone line, which modem
// and port or which line. It works on its own copy of the settings (the
// start it is given); the worker applies the result once it is closed, so
// Cancel changes nothing.
#pragma once

#include "engine/SetupChoice.h"

#include <QWizard>

class CAdapterPage;
class IUiBridge;
class CMyPropertyPage0;
class CMyPropertyPage1;
class CMyPropertyPage01;
class CMyPropertyPage2;
class CMyPropertyPage02;
class CTapiProviders;
class CMyPropertyPage3;

class CMyPropertySheet : public QWizard {
    Q_OBJECT
public:
    // bridge takes the modem detection's messages and questions; the line
    // page lists the lines of pProviders' chosen one.
    CMyPropertySheet(const SetupWizardStart& start, IUiBridge& bridge,
                     const CTapiProviders* pProviders = nullptr, QWidget* parent = nullptr);

    // What was chosen; bCancelled unless the wizard was finished.
    SetupWizardResult Result() const;

    int nextId() const override;

    CMyPropertyPage1* DetectionPage() const { return m_pDetect; }
    CMyPropertyPage01* AccessPage() const { return m_pAccess; }
    CMyPropertyPage2* SerialPage() const { return m_pSerial; }
    CMyPropertyPage02* LinePage() const { return m_pLine; }
    CAdapterPage* AdapterPage() const { return m_pAdapter; }

private:
    // Back goes to the page the flow names, not only the one shown before.
    void GoBack();

    SetupWizardStart m_start;
    CMyPropertyPage0* m_pWelcome;
    CMyPropertyPage1* m_pDetect;
    CMyPropertyPage01* m_pAccess;
    CMyPropertyPage2* m_pSerial;
    CMyPropertyPage02* m_pLine;
    CAdapterPage* m_pAdapter;
    CMyPropertyPage3* m_pFinish;
};

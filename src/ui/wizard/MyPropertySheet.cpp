#include "wizard/MyPropertySheet.h"

#include "app/SetupWizardLogic.h"
#include "audio/SoundBackend.h"
#include "dialogs/AdapterFields.h"
#include "platform/Strings.h"
#include "wizard/AdapterPage.h"
#include "wizard/SerialPage.h"
#include "wizard/WizardPages.h"
#include "wizard/WizardPictures.h"

#include <QAbstractButton>

CMyPropertySheet::CMyPropertySheet(const SetupWizardStart& start, IUiBridge& bridge,
                                   const CTapiProviders* pProviders, QWidget* parent)
    : QWizard(parent), m_start(start) {
    setWindowTitle(QString::fromUtf8(LoadStr(108)));
    setWizardStyle(QWizard::ModernStyle);
    setOption(QWizard::NoBackButtonOnStartPage);
    setPixmap(QWizard::LogoPixmap, WizardHeaderPixmap(palette()));
    setPixmap(QWizard::WatermarkPixmap, WizardWatermarkPixmap(palette()));

    m_pWelcome = new CMyPropertyPage0(this);
    m_pDetect = new CMyPropertyPage1(this);
    m_pAccess = new CMyPropertyPage01(start.nKind, this);
    m_pSerial = new CMyPropertyPage2(
        start, bridge, [this] { return m_pDetect->SkipDetection(); }, this);
    m_pLine = new CMyPropertyPage02(start.nTAPILine, pProviders, this);
    m_pAdapter =
        new CAdapterPage(GetSoundBackend(), start.sAdapterSoundCard, start.sAdapterInput, this);
    m_pFinish = new CMyPropertyPage3(this);
    setPage(kPageWelcome, m_pWelcome);
    setPage(kPageDetection, m_pDetect);
    setPage(kPageAccess, m_pAccess);
    setPage(kPageSerial, m_pSerial);
    setPage(kPageLine, m_pLine);
    setPage(kPageFinish, m_pFinish);
    setPage(kPageAdapter, m_pAdapter);
    setStartId(kPageWelcome);

    QAbstractButton* back = button(QWizard::BackButton);
    disconnect(back, nullptr, this, nullptr);
    connect(back, &QAbstractButton::clicked, this, &CMyPropertySheet::GoBack);
}

int CMyPropertySheet::nextId() const {
    return NextSetupPage(static_cast<SetupPage>(currentId()), m_pAccess->Kind());
}

void CMyPropertySheet::GoBack() {
    const SetupPage target = PreviousSetupPage(static_cast<SetupPage>(currentId()));
    // The target was shown on the way here, so it is in the history.
    if (target == kPageNone || !visitedIds().contains(target)) {
        back();
        return;
    }
    while (currentId() != target)
        back();
}

SetupWizardResult CMyPropertySheet::Result() const {
    SetupWizardResult r;
    r.bRun = true;
    r.bCancelled = result() != QDialog::Accepted;
    r.nKind = m_pAccess->Kind();
    r.nComPort = m_start.nComPort;
    r.sModem = "";
    r.nTAPILine = m_pLine->Line();
    r.sAdapterSoundCard = m_start.sAdapterSoundCard;
    r.sAdapterInput = m_start.sAdapterInput;
    if (r.nKind == kKindUsbAdapter && visitedIds().contains(kPageAdapter)) {
        r.sAdapterSoundCard = m_pAdapter->Fields()->SoundCard();
        r.sAdapterInput = m_pAdapter->Fields()->Input();
    }
    if (r.nKind == kKindSerialModem && visitedIds().contains(kPageSerial)) {
        r.nComPort = m_pSerial->ComPort();
        r.sModem = m_pSerial->Modem();
        r.nCidTypeFound = m_pSerial->CidTypeFound();
    }
    return r;
}

#include "options/DevicePage.h"

#include "app/AdapterChoices.h"
#include "audio/SoundBackend.h"
#include "config/ModemProfile.h"
#include "dialogs/AdapterFields.h"
#include "dialogs/LineListing.h"
#include "options/SipAccountsDlg.h"
#include "platform/SerialPorts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <sys/stat.h>

namespace {

// The kinds in their setting's order (nTAPI 0 to 3).
constexpr const char* kKinds[] = {
    QT_TRANSLATE_NOOP("CDevicePage", "Serial port (voice modem)"),
    QT_TRANSLATE_NOOP("CDevicePage", "Telephony line"),
    QT_TRANSLATE_NOOP("CDevicePage", "USB telephone adapter"),
    QT_TRANSLATE_NOOP("CDevicePage", "Telephony line, recordings compressed"),
};

bool Present(const std::string& device) {
    struct stat st {};
    return !device.empty() && ::stat(device.c_str(), &st) == 0;
}

} // namespace

QString CDevicePage::PortText(int nPort) {
    const std::string device = ComPortDevice(nPort);
    QString text = QString::fromStdString(ComPortName(nPort));
    if (!device.empty())
        text += QStringLiteral(" (%1)").arg(QString::fromStdString(device));
    return text;
}

CDevicePage::CDevicePage(const CTapiProviders* pProviders, QWidget* parent)
    : COptionsPage(tr("Telephone Device"), parent) {
    m_pKind = new QComboBox(this);
    for (const char* kind : kKinds)
        m_pKind->addItem(tr(kind));
    m_pPort = new QComboBox(this);
    m_pModem = new QComboBox(this);
    m_pLine = new QComboBox(this);
    m_pLine->setEnabled(false);
    m_pLineNote = new QLabel(this);
    m_pLineNote->setWordWrap(true);
    m_pListing = new CLineListing(pProviders, m_pLine, m_pLineNote, this);
    connect(m_pListing, &CLineListing::Listed, this, &CDevicePage::UpdateEnabled);
    m_pSipAccounts = new QPushButton(tr("SIP &accounts..."), this);
    connect(m_pSipAccounts, &QPushButton::clicked, this, &CDevicePage::EditSipAccounts);
    m_pTalkCard = new QComboBox(this);
    m_pTalkCard->setObjectName("TalkSoundCard");
    m_pTalkStereo = new QCheckBox(tr("Record talked calls in stereo (far end left, me right)"), this);
    m_pTalkStereo->setObjectName("TalkStereo");

    auto* form = new QFormLayout;
    form->addRow(tr("&Modem driver:"), m_pKind);
    form->addRow(tr("&COM port:"), m_pPort);
    form->addRow(tr("Mo&dem model:"), m_pModem);
    form->addRow(tr("Telephony &line:"), m_pLine);
    form->addRow(QString(), m_pLineNote);
    form->addRow(QString(), m_pSipAccounts);
    form->addRow(tr("&Talk at the PC through:"), m_pTalkCard);
    form->addRow(QString(), m_pTalkStereo);
    Body()->addLayout(form);
    // The adapter's sound cards are those the program's sound layer lists.
    m_pAdapter = new CAdapterFields(GetSoundBackend(), this);
    Body()->addWidget(m_pAdapter);
    Body()->addStretch(1);
    connect(m_pKind, &QComboBox::currentIndexChanged, this, &CDevicePage::UpdateEnabled);
}

void CDevicePage::Load(const OptionsValues& v) {
    m_pKind->setCurrentIndex(v.nDeviceKind >= 0 && v.nDeviceKind < m_pKind->count() ? v.nDeviceKind
                                                                                    : 0);

    m_pPort->clear();
    m_pPort->addItem(tr("None: search every port"), -1);
    for (int n : ListComPorts())
        m_pPort->addItem(PortText(n), n);
    // The port in use stays choosable when its device is away.
    if (v.nComPort >= 1 && m_pPort->findData(v.nComPort) < 0)
        m_pPort->addItem(Present(ComPortDevice(v.nComPort))
                             ? PortText(v.nComPort)
                             : tr("%1 - not present").arg(PortText(v.nComPort)),
                         v.nComPort);
    m_pPort->setCurrentIndex(std::max(0, m_pPort->findData(v.nComPort)));

    // The catalogue's models, in its order (an empty name keeps the model in use).
    m_pModem->clear();
    CModemProfile catalogue;
    catalogue.Load(v.sModem);
    for (const std::string& name : catalogue.m_arSupportedModems)
        m_pModem->addItem(QString::fromStdString(name));
    const QString current = QString::fromStdString(v.sModem);
    if (m_pModem->findText(current) < 0)
        m_pModem->insertItem(0, current);
    m_pModem->setCurrentIndex(m_pModem->findText(current));

    m_nTapiLine = v.nTapiLine;
    m_bSipAccountsSaved = false;
    m_pListing->Start(v.nTapiLine);
    m_pAdapter->Load(v.sAdapterSoundCard, v.sAdapterInput);
    m_pTalkCard->clear();
    for (const AdapterChoice& c : TalkSoundCardChoices(GetSoundBackend(), v.sTalkSoundCard))
        m_pTalkCard->addItem(QString::fromStdString(c.sText), QString::fromStdString(c.sValue));
    m_pTalkCard->setCurrentIndex(
        std::max(0, m_pTalkCard->findData(QString::fromStdString(v.sTalkSoundCard))));
    m_pTalkStereo->setChecked(v.bTalkStereo);
    UpdateEnabled();
}

void CDevicePage::Save(OptionsValues& v) const {
    v.nDeviceKind = m_pKind->currentIndex();
    v.nComPort = m_pPort->currentData().toInt();
    v.sModem = m_pModem->currentText().toStdString();
    v.nTapiLine = m_pListing->ChosenLine(m_nTapiLine);
    v.bSipAccountsChanged = m_bSipAccountsSaved;
    v.sAdapterSoundCard = m_pAdapter->SoundCard();
    v.sAdapterInput = m_pAdapter->Input();
    v.sTalkSoundCard = m_pTalkCard->currentData().toString().toStdString();
    v.bTalkStereo = m_pTalkStereo->isChecked();
}

void CDevicePage::UpdateEnabled() {
    const bool bModem = m_pKind->currentIndex() == kKindSerialModem;
    m_pPort->setEnabled(bModem);
    m_pModem->setEnabled(bModem);
    // A line is chosen for the kinds that use one (the extension device is
    // used like a line); listed lines only.
    const bool bLine =
        m_pKind->currentIndex() == kKindTelephonyLine || m_pKind->currentIndex() == kKindExtension;
    m_pLine->setEnabled(bLine && m_pListing->IsDone() && m_pLine->count() > 0);
    // Only a telephony line talks at the PC.
    m_pTalkCard->setEnabled(bLine);
    m_pTalkStereo->setEnabled(bLine);
    m_pAdapter->setEnabled(m_pKind->currentIndex() == kKindUsbAdapter);
}

void CDevicePage::EditSipAccounts() {
    auto* dlg = new CSipAccountsDlg(this);
    dlg->setAttribute(Qt::WA_DeleteOnClose);
    connect(dlg, &QDialog::accepted, this, [this] {
        m_bSipAccountsSaved = true;
        m_pListing->Start(m_pListing->ChosenLine(m_nTapiLine));
    });
    dlg->open();
}

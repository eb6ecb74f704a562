#include "wizard/SerialPage.h"

#include "config/ModemProfile.h"
#include "platform/SerialPortNames.h"
#include "platform/SerialPorts.h"
#include "platform/Strings.h"
#include "wizard/ModemDetection.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// The detection asks at the speed the program opens the modem with.
constexpr uint32_t kDetectBaud = 115200;

QString S(int id) {
    return QString::fromUtf8(LoadStr(id));
}

} // namespace

CMyPropertyPage2::CMyPropertyPage2(const SetupWizardStart& start, IUiBridge& bridge,
                                   std::function<bool()> skipDetection, QWidget* parent)
    : QWizardPage(parent), m_start(start), m_skipDetection(std::move(skipDetection)),
      m_pDetection(new CModemDetection(bridge, this)) {
    setTitle(S(116));
    setSubTitle(S(117));
    auto* layout = new QVBoxLayout(this);
    auto* modemLabel = new QLabel(tr("Select your &modem:"), this);
    m_pModems = new QListWidget(this);
    modemLabel->setBuddy(m_pModems);
    layout->addWidget(modemLabel);
    layout->addWidget(m_pModems, 1);
    auto* hint = new QLabel(tr("Please select the closest match or use a suggested one."), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    auto* portRow = new QHBoxLayout;
    auto* portLabel = new QLabel(tr("&Serial port:"), this);
    m_pPorts = new QComboBox(this);
    m_pPorts->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    portLabel->setBuddy(m_pPorts);
    portRow->addWidget(portLabel);
    portRow->addWidget(m_pPorts, 1);
    layout->addLayout(portRow);

    auto* progressRow = new QHBoxLayout;
    m_pProgress = new QProgressBar(this);
    m_pProgress->setRange(0, 0); // busy: how long the modem takes is not known
    m_pProgress->setTextVisible(false);
    m_pCancel = new QPushButton(tr("&Cancel detection"), this);
    progressRow->addWidget(m_pProgress, 1);
    progressRow->addWidget(m_pCancel);
    layout->addLayout(progressRow);
    m_pStatus = new QLabel(this);
    m_pStatus->setWordWrap(true);
    m_pStatus->setTextFormat(Qt::PlainText);
    layout->addWidget(m_pStatus);
    ShowDetecting(false);

    connect(m_pCancel, &QPushButton::clicked, this, &CMyPropertyPage2::CancelDetection);
    connect(m_pDetection, &CModemDetection::progress, m_pStatus, &QLabel::setText);
    connect(m_pDetection, &CModemDetection::finished, this, &CMyPropertyPage2::DetectionFinished);
}

CMyPropertyPage2::~CMyPropertyPage2() = default;

void CMyPropertyPage2::FillModems() {
    m_pModems->clear();
    CModemProfile catalogue;
    catalogue.Load(m_start.sModem);
    for (const std::string& name : catalogue.m_arSupportedModems)
        if (!name.empty())
            m_pModems->addItem(QString::fromStdString(name));
    SelectModem(QString::fromStdString(m_start.sModem));
}

void CMyPropertyPage2::FillPorts() {
    m_pPorts->clear();
    for (const SerialPortChoice& c : ListSerialPortChoices())
        m_pPorts->addItem(QString::fromStdString(c.sLabel), c.nPort);
    if (m_pPorts->count() == 0)
        m_pPorts->addItem(tr("No serial device found"), 0);
    SelectPort(m_start.nComPort);
}

void CMyPropertyPage2::SelectModem(const QString& name) {
    const QList<QListWidgetItem*> found = m_pModems->findItems(name, Qt::MatchFixedString);
    QListWidgetItem* item = found.isEmpty() ? nullptr : found.front();
    if (!item && !name.isEmpty()) {
        // A suggestion the catalogue does not list is still offered.
        m_pModems->addItem(name);
        item = m_pModems->item(m_pModems->count() - 1);
    }
    if (item) {
        m_pModems->setCurrentItem(item);
        m_pModems->scrollToItem(item);
    }
}

void CMyPropertyPage2::SelectPort(int nPort) {
    if (nPort < 1)
        return;
    int index = m_pPorts->findData(nPort);
    if (index < 0) {
        // A port of the settings whose device is not there now.
        const std::string device = ComPortDevice(nPort);
        m_pPorts->addItem(tr("%1 \u2014 not present (%2)")
                              .arg(QString::fromStdString(ComPortName(nPort)),
                                   device.empty() ? tr("no device set in [Ports]")
                                                  : QString::fromStdString(device)),
                          nPort);
        index = m_pPorts->count() - 1;
    }
    m_pPorts->setCurrentIndex(index);
}

void CMyPropertyPage2::initializePage() {
    FillModems();
    FillPorts();
    if (!m_bDetected && !(m_skipDetection && m_skipDetection()))
        StartDetection();
}

void CMyPropertyPage2::StartDetection() {
    m_bDetected = true;
    m_nCidType = -1;
    m_pStatus->setText(tr("Asking the modem which model it is..."));
    ShowDetecting(true);
    // Without a port in the settings the detection scans for the modem.
    m_pDetection->Start(m_start.nComPort >= 1 ? ComPort() : 0, Modem(), kDetectBaud);
    emit completeChanged();
}

void CMyPropertyPage2::DetectionFinished(bool bFound, int nPort, const QString& sModem,
                                         int nCidType, const QString& sWhy) {
    ShowDetecting(false);
    if (nPort > 0) {
        // The scan may have numbered new devices.
        FillPorts();
        SelectPort(nPort);
    }
    if (bFound) {
        SelectModem(sModem);
        m_nCidType = nCidType;
        m_pStatus->setText(tr("Suggested: %1").arg(sModem));
    } else if (!sWhy.isEmpty()) {
        // Most often another program has the port (ModemManager, a fax
        // or dial-up program): say which, so the user knows what to quit.
        m_pStatus->setText(
            tr("The modem could not be opened: %1. Please quit the program that uses it and "
               "press Back and Next to try again, or select your modem.")
                .arg(sWhy));
    } else {
        m_pStatus->setText(tr("No model could be suggested; please select your modem."));
    }
    emit completeChanged();
    emit detectionEnded();
}

void CMyPropertyPage2::CancelDetection() {
    m_pDetection->Cancel();
    ShowDetecting(false);
    m_pStatus->setText(tr("Detection cancelled; please select your modem."));
    emit completeChanged();
    emit detectionEnded();
}

void CMyPropertyPage2::ShowDetecting(bool bOn) {
    m_pProgress->setVisible(bOn);
    m_pCancel->setVisible(bOn);
    m_pModems->setEnabled(!bOn);
    m_pPorts->setEnabled(!bOn);
}

bool CMyPropertyPage2::IsDetecting() const {
    return m_pDetection->IsRunning();
}

bool CMyPropertyPage2::isComplete() const {
    return !IsDetecting();
}

int CMyPropertyPage2::ComPort() const {
    return m_pPorts->currentIndex() >= 0 ? m_pPorts->currentData().toInt() : 0;
}

std::string CMyPropertyPage2::Modem() const {
    const QListWidgetItem* item = m_pModems->currentItem();
    return item ? item->text().toStdString() : std::string();
}

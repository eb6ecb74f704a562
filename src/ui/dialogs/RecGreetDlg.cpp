#include "dialogs/RecGreetDlg.h"

#include "app/HelpManual.h"
#include "dialogs/WaveFilter.h"
#include "frontend/MessageBoxes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPollMs = 100;
constexpr const char* kManualPage = "greeting.html";

} // namespace

CRecGreetDlg::CRecGreetDlg(ISoundBackend& backend, IGreetingLine* pLine,
                           const CGreetingRecorder::Setup& setup, QWidget* parent)
    : QDialog(parent), m_recorder(backend, pLine, setup), m_bHaveLine(pLine != nullptr) {
    setWindowTitle(tr("Record Greeting"));
    setModal(true);

    m_pFile = new QLineEdit(QString::fromStdString(setup.sFile), this);
    m_pBrowse = new QPushButton(tr("&Browse..."), this);
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_pFile, 1);
    fileRow->addWidget(m_pBrowse);

    m_pInput = new QComboBox(this);
    for (const SoundDeviceInfo& d : backend.ListDevices(true))
        m_pInput->addItem(
            QString::fromStdString(d.sDescription.empty() ? d.sName : d.sDescription));
    m_pSource = new QComboBox(this);
    for (const char* source : CGreetingRecorder::kVoiceSources)
        m_pSource->addItem(tr(source));
    if (pLine)
        m_pSource->setCurrentIndex(pLine->LineSelection());

    auto* form = new QFormLayout;
    // The file's row is a layout (box and button), so its label is given
    // the box as the place its mnemonic goes.
    auto* fileLabel = new QLabel(tr("Greeting &file:"), this);
    fileLabel->setBuddy(m_pFile);
    form->addRow(fileLabel, fileRow);
    form->addRow(tr("Modem's &voice source:"), m_pSource);
    form->addRow(tr("Sound card &input:"), m_pInput);

    m_pRecordModem = new QPushButton(tr("&Record through the modem"), this);
    m_pPlayModem = new QPushButton(tr("&Play through the modem"), this);
    m_pRecordCard = new QPushButton(tr("Record from the &sound card"), this);
    m_pListen = new QPushButton(tr("&Listen"), this);
    m_pStop = new QPushButton(tr("S&top"), this);
    m_pDiscard = new QPushButton(tr("&Discard the new recording"), this);
    auto* grid = new QGridLayout;
    grid->addWidget(m_pRecordModem, 0, 0);
    grid->addWidget(m_pPlayModem, 0, 1);
    grid->addWidget(m_pRecordCard, 1, 0);
    grid->addWidget(m_pListen, 1, 1);
    grid->addWidget(m_pStop, 2, 0);
    grid->addWidget(m_pDiscard, 2, 1);

    m_pStatus = new QLabel(this);
    m_pStatus->setWordWrap(true);
    m_pStatus->setTextFormat(Qt::PlainText); // a file's name is never markup

    auto* buttons = new QDialogButtonBox(
        QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this);
    m_pOk = buttons->button(QDialogButtonBox::Ok);
    m_pHelp = buttons->button(QDialogButtonBox::Help);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(grid);
    layout->addWidget(m_pStatus);
    layout->addWidget(buttons);

    auto fileName = [this] { m_recorder.SetFileName(m_pFile->text().toStdString()); };
    connect(m_pFile, &QLineEdit::textChanged, this, fileName);
    connect(m_pBrowse, &QPushButton::clicked, this, &CRecGreetDlg::Browse);
    connect(m_pRecordModem, &QPushButton::clicked, this,
            [this] { Start(m_recorder.RecordFromModem(m_pSource->currentIndex())); });
    connect(m_pPlayModem, &QPushButton::clicked, this,
            [this] { Start(m_recorder.PlayThroughModem(m_pSource->currentIndex())); });
    connect(m_pRecordCard, &QPushButton::clicked, this,
            [this] { Start(m_recorder.RecordFromSoundCard(m_pInput->currentIndex())); });
    connect(m_pListen, &QPushButton::clicked, this, [this] { Start(m_recorder.Listen()); });
    connect(m_pStop, &QPushButton::clicked, this, [this] { m_recorder.Stop(); });
    connect(m_pDiscard, &QPushButton::clicked, this, [this] {
        m_recorder.Discard();
        UpdateControls();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &CRecGreetDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CRecGreetDlg::reject);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (const std::string problem = OpenManualPage(kManualPage); !problem.empty())
            OpenMessageBox(this, problem, MessageIcon::Information);
    });

    m_timer.setInterval(kPollMs);
    connect(&m_timer, &QTimer::timeout, this, &CRecGreetDlg::OnTick);
    UpdateControls();
}

CRecGreetDlg::~CRecGreetDlg() = default;

std::string CRecGreetDlg::FileName() const {
    return m_recorder.FileName();
}

QString CRecGreetDlg::Status() const {
    return m_pStatus->text();
}

void CRecGreetDlg::Start(bool bStarted) {
    if (bStarted)
        m_timer.start();
    UpdateControls();
}

void CRecGreetDlg::OnTick() {
    if (!m_recorder.Poll())
        m_timer.stop();
    UpdateControls();
}

void CRecGreetDlg::UpdateControls() {
    const bool bBusy = m_recorder.IsBusy();
    for (QWidget* w : {static_cast<QWidget*>(m_pRecordCard), static_cast<QWidget*>(m_pListen),
                       static_cast<QWidget*>(m_pFile), static_cast<QWidget*>(m_pBrowse),
                       static_cast<QWidget*>(m_pOk)})
        w->setEnabled(!bBusy);
    m_pRecordModem->setEnabled(!bBusy && m_bHaveLine);
    m_pPlayModem->setEnabled(!bBusy && m_bHaveLine);
    m_pStop->setEnabled(bBusy);
    m_pDiscard->setEnabled(!bBusy && m_recorder.HasTake());

    QString text;
    if (bBusy)
        text = tr("Working... Stop ends it.");
    else if (!m_recorder.LastError().empty())
        text = QString::fromStdString(m_recorder.LastError());
    else if (m_recorder.HasTake())
        text = tr("New greeting recorded (%1 s). OK keeps it; Cancel keeps the old one.")
                   .arg(m_recorder.TakeMs() / 1000.0, 0, 'f', 1);
    m_pStatus->setText(text);
}

void CRecGreetDlg::Browse() {
    QString start = QString::fromStdString(m_recorder.GreetingPath());
    QString file = QFileDialog::getSaveFileName(this, tr("Greeting file"), start,
                                                WaveFileFilter(), nullptr,
                                                QFileDialog::DontConfirmOverwrite);
    if (!file.isEmpty())
        m_pFile->setText(file);
}

void CRecGreetDlg::accept() {
    if (m_recorder.IsBusy())
        return; // a take still being made cannot be kept yet
    if (!m_recorder.Keep()) {
        OpenMessageBox(this, m_recorder.LastError(), MessageIcon::Error);
        UpdateControls();
        return;
    }
    QDialog::accept();
}

void CRecGreetDlg::reject() {
    m_recorder.Stop();
    m_recorder.Discard();
    QDialog::reject();
}

#include "dialogs/DiagnosticsDlg.h"

#include "frontend/MessageBoxes.h"
#include "modem/Diagnostics.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QVBoxLayout>

namespace {

constexpr int kPollMs = 100;

const char* const kNoModem = QT_TRANSLATE_NOOP(
    "CDiagnosticsDlg",
    "No modem is open, so there is nothing to ask. Switch monitoring on and check that the "
    "modem's port (nComPort and [Ports] in vorella.ini) can be opened, then try again.");
const char* const kBusy = QT_TRANSLATE_NOOP(
    "CDiagnosticsDlg", "The line is busy with a call. Try again once the call is over.");

} // namespace

CDiagnosticsDlg::CDiagnosticsDlg(IAppWorker& worker, QWidget* parent)
    : QDialog(parent), m_worker(worker) {
    setWindowTitle(tr("Modem Diagnostics"));
    m_pText = new QPlainTextEdit;
    m_pText->setReadOnly(true);
    m_pText->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_pText->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_pText->setMinimumSize(560, 360);
    m_pBusy = new QProgressBar;
    m_pBusy->setRange(0, 0); // busy: no end to show
    m_pBusy->setTextVisible(false);
    m_pStatus = new QLabel;
    m_pStatus->setWordWrap(true);
    m_pCopy = new QPushButton(tr("C&opy"));
    m_pSave = new QPushButton(tr("&Save..."));
    m_pMail = new QPushButton(tr("&Email to Support"));
    m_pClose = new QPushButton(tr("Cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pCopy);
    buttons->addWidget(m_pSave);
    buttons->addWidget(m_pMail);
    buttons->addStretch();
    buttons->addWidget(m_pClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pText);
    layout->addWidget(m_pBusy);
    layout->addWidget(m_pStatus);
    layout->addLayout(buttons);

    connect(m_pCopy, &QPushButton::clicked, this, &CDiagnosticsDlg::Copy);
    connect(m_pSave, &QPushButton::clicked, this, &CDiagnosticsDlg::Save);
    connect(m_pMail, &QPushButton::clicked, this, &CDiagnosticsDlg::Mail);
    connect(m_pClose, &QPushButton::clicked, this, &CDiagnosticsDlg::reject);
    connect(&m_timer, &QTimer::timeout, this, &CDiagnosticsDlg::OnTick);
    m_timer.setInterval(kPollMs);

    m_chooseFile = [this] {
        return QFileDialog::getSaveFileName(this, tr("Save Diagnostics Report"),
                                            "modem-diagnostics.txt",
                                            tr("Text files (*.txt);;All files (*)"));
    };
    m_openUrl = [](const std::string& url) { return LaunchProcess({"xdg-open", url}); };
    Start();
}

CDiagnosticsDlg::~CDiagnosticsDlg() {
    // A run nobody looks at any more stops after its current probe.
    if (m_bRunning)
        m_worker.CancelDiagnostics();
}

void CDiagnosticsDlg::Start() {
    switch (m_worker.StartDiagnostics()) {
    case DiagnosticsState::Running:
        m_bRunning = true;
        m_pStatus->setText(tr("Asking the modem; this takes up to half a minute..."));
        m_pCopy->setEnabled(false);
        m_pSave->setEnabled(false);
        m_pMail->setEnabled(false);
        m_timer.start();
        return;
    case DiagnosticsState::Busy:
        Finish(tr(kBusy));
        return;
    case DiagnosticsState::NoModem:
    case DiagnosticsState::Done:
        Finish(tr(kNoModem));
        return;
    }
}

void CDiagnosticsDlg::OnTick() {
    const DiagnosticsProgress p = m_worker.DiagnosticsNow();
    Show(p.sReport);
    if (p.state == DiagnosticsState::Running)
        return;
    m_timer.stop();
    m_bRunning = false;
    Finish(p.state == DiagnosticsState::Done ? tr("Done: every probe with the modem's answer.")
                                             : tr(kNoModem));
}

void CDiagnosticsDlg::Show(const std::string& sReport) {
    if (sReport == m_sReport)
        return;
    m_sReport = sReport;
    QString text = QString::fromLatin1(sReport.data(), static_cast<qsizetype>(sReport.size()));
    text.remove(QLatin1Char('\r'));
    m_pText->setPlainText(text);
    m_pText->moveCursor(QTextCursor::End);
}

void CDiagnosticsDlg::Finish(const QString& status) {
    m_pBusy->hide();
    m_pStatus->setText(status);
    const bool bReport = !m_sReport.empty();
    m_pCopy->setEnabled(bReport);
    m_pSave->setEnabled(bReport);
    m_pMail->setEnabled(bReport);
    m_pClose->setText(tr("&Close"));
}

QString CDiagnosticsDlg::ReportText() const {
    return m_pText->toPlainText();
}

QString CDiagnosticsDlg::Status() const {
    return m_pStatus->text();
}

void CDiagnosticsDlg::reject() {
    if (m_bRunning) {
        m_worker.CancelDiagnostics();
        m_bRunning = false;
        m_timer.stop();
    }
    QDialog::reject();
}

void CDiagnosticsDlg::Copy() {
    QApplication::clipboard()->setText(ReportText());
}

void CDiagnosticsDlg::Save() {
    const QString file = m_chooseFile();
    if (file.isEmpty())
        return;
    // Whole or not at all: a full disk leaves no half report behind.
    QSaveFile out(file);
    if (!out.open(QIODevice::WriteOnly) || out.write(ReportText().toLatin1()) < 0 || !out.commit())
        Tell(tr("The report could not be saved to %1:\n\n%2").arg(file, out.errorString()));
}

void CDiagnosticsDlg::Mail() {
    const LaunchResult r = m_openUrl(DiagnosticsMailtoUrl(m_sReport));
    if (r.status != LaunchStatus::Started)
        Tell(tr("The report could not be handed to the mail program (xdg-open): %1")
                 .arg(QString::fromStdString(r.error)));
}

void CDiagnosticsDlg::Tell(const QString& text) {
    OpenMessageBox(this, text.toStdString(), MessageIcon::Error);
}

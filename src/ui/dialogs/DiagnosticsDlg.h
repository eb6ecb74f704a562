// The modem diagnostics window: the worker sends the probes (it owns the
// port) while this window shows a busy bar; the report then appears in a
// read-only box, to copy, save or hand to the mail program. The window
// never waits for the worker: it looks at the run every tenth of a second.
#pragma once

#include "app/AppWorker.h"
#include "platform/ProcessLaunch.h"

#include <QDialog>
#include <QTimer>

#include <functional>
#include <string>

class QLabel;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;

class CDiagnosticsDlg : public QDialog {
    Q_OBJECT
public:
    // Asks worker for a run at once.
    explicit CDiagnosticsDlg(IAppWorker& worker, QWidget* parent = nullptr);
    ~CDiagnosticsDlg() override;

    // How "Save..." chooses its file and how the mail-to address is opened
    // (a file dialog and xdg-open unless a test says otherwise).
    void SetFileChooser(std::function<QString()> choose) { m_chooseFile = std::move(choose); }
    void SetUrlOpener(std::function<LaunchResult(const std::string&)> open) {
        m_openUrl = std::move(open);
    }

    // The report as shown (line ends "\n"); what is said instead of one.
    QString ReportText() const;
    QString Status() const;
    bool IsRunning() const { return m_bRunning; }

    QPushButton* CopyButton() const { return m_pCopy; }
    QPushButton* SaveButton() const { return m_pSave; }
    QPushButton* MailButton() const { return m_pMail; }
    QPushButton* CloseButton() const { return m_pClose; }
    QProgressBar* BusyBar() const { return m_pBusy; }

    void reject() override;

private:
    void Start();
    void OnTick();
    void Show(const std::string& sReport);
    void Finish(const QString& status);
    void Copy();
    void Save();
    void Mail();
    void Tell(const QString& text);

    IAppWorker& m_worker;
    std::string m_sReport; // as the worker made it, CR LF line ends
    bool m_bRunning = false;
    QTimer m_timer;
    std::function<QString()> m_chooseFile;
    std::function<LaunchResult(const std::string&)> m_openUrl;
    QPlainTextEdit* m_pText;
    QProgressBar* m_pBusy;
    QLabel* m_pStatus;
    QPushButton* m_pCopy;
    QPushButton* m_pSave;
    QPushButton* m_pMail;
    QPushButton* m_pClose;
};

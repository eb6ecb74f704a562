// The diagnostics window on the offscreen platform with a worker whose run
// the test steps: a busy bar while the probes go out, then the report to
// copy, save and mail (the mail-to address taken apart again by Qt's own URL
// parser), and a plain word instead of an empty report without a modem.
#include "FakeAppWorker.h"
#include "OpenBoxes.h"
#include "TempHome.h"

#include "dialogs/DiagnosticsDlg.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>
#include <QUrlQuery>

#include <gtest/gtest.h>

namespace {

class DiagnosingWorker : public FakeAppWorker {
public:
    DiagnosticsState StartDiagnostics() override {
        ++nStarts;
        return startAnswer;
    }
    DiagnosticsProgress DiagnosticsNow() const override { return progress; }
    void CancelDiagnostics() override { bCancelled = true; }

    DiagnosticsState startAnswer = DiagnosticsState::Running;
    DiagnosticsProgress progress{DiagnosticsState::Running, ""};
    int nStarts = 0;
    bool bCancelled = false;
};

// What the modem said, as the worker words it: CR LF line ends, a "#"
// command that would end a careless mail-to address, and an "&".
const std::string kReport = "Diagnostics for Rockwell HCF Compatible\r\n"
                            "\r\nTransmitted: AT&FE1\r\nReceived:\r\nOK\r\n"
                            "\r\nTransmitted: AT#CLS=8\r\nReceived:\r\nERROR\r\n";
// Shown with plain line ends.
const QString kShown = QString::fromStdString(kReport).remove('\r');

TEST(DiagnosticsDlg, ShowsTheRunThenHandsTheReportOn) {
    TempHome home;
    DiagnosingWorker worker;
    CDiagnosticsDlg dlg(worker);
    dlg.show();
    EXPECT_EQ(worker.nStarts, 1);
    EXPECT_TRUE(dlg.IsRunning());
    EXPECT_TRUE(dlg.BusyBar()->isVisible());
    EXPECT_FALSE(dlg.SaveButton()->isEnabled());
    EXPECT_FALSE(dlg.MailButton()->isEnabled());

    // The report grows while the probes go out, and is whole at the end.
    worker.progress = {DiagnosticsState::Running, kReport.substr(0, 60)};
    QTRY_VERIFY(!dlg.ReportText().isEmpty());
    EXPECT_TRUE(dlg.IsRunning());
    worker.progress = {DiagnosticsState::Done, kReport};
    QTRY_VERIFY(!dlg.IsRunning());
    EXPECT_EQ(dlg.ReportText(), kShown);
    EXPECT_FALSE(dlg.BusyBar()->isVisible());
    EXPECT_TRUE(dlg.CopyButton()->isEnabled());
    EXPECT_EQ(dlg.CloseButton()->text(), "&Close");

    QTest::mouseClick(dlg.CopyButton(), Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), kShown);

    const QString saved = QString::fromStdString(home.File("report.txt"));
    dlg.SetFileChooser([&] { return saved; });
    QTest::mouseClick(dlg.SaveButton(), Qt::LeftButton);
    EXPECT_EQ(home.Read("report.txt"), kShown.toStdString());
    EXPECT_EQ(OpenBox(), nullptr);
    // A file that cannot be written: said, with the reason.
    dlg.SetFileChooser([] { return QString("/no-such-folder/report.txt"); });
    QTest::mouseClick(dlg.SaveButton(), Qt::LeftButton);
    EXPECT_THAT(TakeBoxText(), HasSubstr("/no-such-folder/report.txt"));

    std::string url;
    dlg.SetUrlOpener([&](const std::string& u) {
        url = u;
        LaunchResult r;
        r.status = LaunchStatus::Started;
        return r;
    });
    QTest::mouseClick(dlg.MailButton(), Qt::LeftButton);
    const QUrl parsed(QString::fromStdString(url), QUrl::StrictMode);
    ASSERT_TRUE(parsed.isValid()) << url;
    EXPECT_EQ(parsed.scheme(), "mailto");
    EXPECT_EQ(parsed.path(), "support@vorella.org");
    EXPECT_FALSE(parsed.hasFragment()) << url;
    const QUrlQuery query(parsed);
    EXPECT_EQ(query.queryItemValue("subject", QUrl::FullyDecoded), "Modem Diagnostics");
    std::string body = "<html><pre>" + kReport + "</pre></html>";
    for (size_t at; (at = body.find('&')) != std::string::npos;)
        body[at] = ' ';
    for (size_t at; (at = body.find('\r')) != std::string::npos;)
        body.replace(at, 1, "    ");
    EXPECT_EQ(query.queryItemValue("body", QUrl::FullyDecoded).toStdString(), body);

    // No mail program: said, not swallowed.
    dlg.SetUrlOpener([](const std::string&) {
        LaunchResult r;
        r.error = "xdg-open: not found";
        return r;
    });
    QTest::mouseClick(dlg.MailButton(), Qt::LeftButton);
    EXPECT_THAT(TakeBoxText(), HasSubstr("xdg-open: not found"));
    EXPECT_FALSE(worker.bCancelled);
}

TEST(DiagnosticsDlg, WithoutAModemSaysSoInsteadOfAnEmptyReport) {
    DiagnosingWorker worker;
    worker.startAnswer = DiagnosticsState::NoModem;
    CDiagnosticsDlg dlg(worker);
    dlg.show();
    EXPECT_FALSE(dlg.IsRunning());
    EXPECT_THAT(dlg.Status().toStdString(), HasSubstr("No modem is open"));
    EXPECT_FALSE(dlg.BusyBar()->isVisible());
    EXPECT_FALSE(dlg.SaveButton()->isEnabled());
    EXPECT_FALSE(dlg.MailButton()->isEnabled());

    DiagnosingWorker busy;
    busy.startAnswer = DiagnosticsState::Busy;
    CDiagnosticsDlg busyDlg(busy);
    EXPECT_TRUE(busyDlg.Status().contains("busy with a call"));
}

TEST(DiagnosticsDlg, CancelGivesTheRunUp) {
    DiagnosingWorker worker;
    CDiagnosticsDlg dlg(worker);
    dlg.show();
    EXPECT_EQ(dlg.CloseButton()->text(), "Cancel");
    QTest::mouseClick(dlg.CloseButton(), Qt::LeftButton);
    EXPECT_TRUE(worker.bCancelled);
    EXPECT_FALSE(dlg.isVisible());
}

} // namespace

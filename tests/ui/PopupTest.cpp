// The incoming-call pop-up on the offscreen platform: where it goes, how
// long it stays, that a further ring does not slide it in again, and where
// its clicks lead.
#include "popup/CallNotifier.h"
#include "popup/NotifyDlg.h"
#include "popup/PopupPlacement.h"

#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

TEST(Popup, SitsInTheCornerOfTheAvailableAreaOnTopWithoutAFrame) {
    EXPECT_EQ(PopupTopLeft(QRect(0, 0, 1000, 700), QSize(300, 100)), QPoint(700, 600));
    // A panel on the left and one at the top: the area starts further in.
    EXPECT_EQ(PopupTopLeft(QRect(48, 32, 952, 668), QSize(300, 100)), QPoint(700, 600));
    EXPECT_EQ(PopupTopLeft(QRect(1920, 0, 1280, 1024), QSize(300, 100)), QPoint(2900, 924));

    CNotifyDlg popup;
    EXPECT_TRUE(popup.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(popup.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(popup.FirstLine(), "Incoming call...");
    popup.ShowCall();
    ASSERT_TRUE(popup.isVisible());
    const QRect available = ScreenForPopup()->availableGeometry();
    const QPoint corner = PopupTopLeft(available, popup.size());
    // It slides in from below and comes to rest in the corner.
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.pos() == corner; }, 10000)) << popup.pos().y();
    EXPECT_TRUE(available.contains(popup.geometry()));
    EXPECT_EQ(popup.geometry().bottomRight(), available.bottomRight());
    popup.End();
}

TEST(Popup, AFurtherRingRestartsTheTimeWithoutSlidingInAgain) {
    CNotifyDlg popup;
    QSignalSpy slides(&popup, &CNotifyDlg::slideInStarted);
    popup.ShowCall(CNotifyDlg::kCloseMs);
    ASSERT_EQ(slides.count(), 1);
    // A coarse timer may be set up to 5 % short, so the times compared stay
    // well clear of that.
    const int shortened = CNotifyDlg::kCloseMs * 95 / 100;
    ASSERT_TRUE(QTest::qWaitFor([&] { return popup.CloseTimeLeft() < shortened - 300; }, 10000));
    const QPoint pos = popup.pos();
    popup.ShowCall(CNotifyDlg::kCloseMs);
    EXPECT_GT(popup.CloseTimeLeft(), shortened - 100) << "the time starts again";
    EXPECT_EQ(slides.count(), 1) << "no second slide-in";
    EXPECT_EQ(popup.pos(), pos);

    // The close timer ends it; the next call slides in again.
    popup.RestartCloseTimer(20);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !popup.isVisible(); }, 10000));
    EXPECT_FALSE(popup.IsCountingDown());
    popup.ShowCall();
    EXPECT_EQ(slides.count(), 2);
    popup.End();
}

TEST(Popup, AClickAsksForTheMainWindowAndItsButtonForTheRecording) {
    CNotifyDlg popup;
    QSignalSpy showMain(&popup, &CNotifyDlg::showMainRequested);
    QSignalSpy record(&popup, &CNotifyDlg::recordRequested);
    popup.SetLines("JOHN DOE", "555-1234");
    popup.ShowCall();
    QTest::mouseClick(&popup, Qt::LeftButton, {}, QPoint(popup.width() - 10, popup.height() - 10));
    EXPECT_EQ(showMain.count(), 1);
    EXPECT_EQ(record.count(), 0);
    EXPECT_FALSE(popup.isVisible()) << "the click ends the pop-up";

    popup.ShowCall();
    EXPECT_FALSE(popup.AnswerButton()->isVisible()) << "a modem does not talk at the PC";
    QTest::mouseClick(popup.RecordButton(), Qt::LeftButton);
    EXPECT_EQ(record.count(), 1);
    EXPECT_EQ(showMain.count(), 1);
    EXPECT_FALSE(popup.isVisible());
    EXPECT_FALSE(popup.IsCountingDown());

    // A line that talks at the PC: "Answer" takes the call there.
    QSignalSpy answer(&popup, &CNotifyDlg::answerRequested);
    popup.SetAnswer(true, true);
    popup.ShowCall();
    ASSERT_TRUE(popup.AnswerButton()->isVisible());
    QTest::mouseClick(popup.AnswerButton(), Qt::LeftButton);
    EXPECT_EQ(answer.count(), 1);
    EXPECT_EQ(record.count(), 1);
    EXPECT_FALSE(popup.isVisible());
}

TEST(Popup, TheNotifierShowsTheCallerOnceKnown) {
    EXPECT_EQ(CCallNotifier::KindFor("xcb"), CCallNotifier::Kind::PopupWindow);
    EXPECT_EQ(CCallNotifier::KindFor("offscreen"), CCallNotifier::Kind::PopupWindow);
    EXPECT_EQ(CCallNotifier::KindFor("wayland"), CCallNotifier::Kind::DesktopNotice);
    EXPECT_EQ(CCallNotifier::KindFor("wayland-egl"), CCallNotifier::Kind::DesktopNotice);

    CCallNotifier notifier(CCallNotifier::Kind::PopupWindow);
    QSignalSpy record(&notifier, &CCallNotifier::recordRequested);
    notifier.SetCaller("", "");
    notifier.ShowCall(CNotifyDlg::kCloseMs);
    CNotifyDlg* popup = notifier.Popup();
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->FirstLine(), "Incoming call...");
    // A stranger's name is text, never markup.
    notifier.SetCaller("<b>JOHN</b> DOE", "5551234");
    EXPECT_EQ(popup->FirstLine(), "<b>JOHN</b> DOE");
    EXPECT_EQ(popup->SecondLine(), "5551234");
    QTest::mouseClick(popup->RecordButton(), Qt::LeftButton);
    EXPECT_EQ(record.count(), 1);

    // A caller with a number can be blocked, made a contact or let through,
    // by the number shown; one without gets none of it.
    QSignalSpy add(&notifier, &CCallNotifier::addContactRequested);
    for (auto [number, bShown] : {std::pair{"NA", false}, {"555-1234", true}}) {
        notifier.SetCaller("JOHN DOE", number);
        notifier.ShowCall(CNotifyDlg::kCloseMs);
        EXPECT_EQ(popup->PermitButton()->isVisible(), bShown) << number;
    }
    QTest::mouseClick(popup->AddContactButton(), Qt::LeftButton);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(add.takeFirst(), (QVariantList{"555-1234", "JOHN DOE"}));
    notifier.ShowCall(CNotifyDlg::kCloseMs);
    notifier.Close();
    EXPECT_FALSE(popup->isVisible());
}

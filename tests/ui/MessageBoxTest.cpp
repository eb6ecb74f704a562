// Every message box through the one hook: the branding's caption, the
// exclamation mark when no icon is given, plain text, and answers that come
// back through the callback without the caller waiting.
#include "app/Brand.h"
#include "frontend/MessageBoxes.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace {
class MessageBoxTest : public ::testing::Test {
protected:
    void SetUp() override { SetAppBrand({"Brandname Recorder", "(C) Us", "https://example.org/"}); }
    void TearDown() override { SetAppBrand({}); }
};
} // namespace

TEST_F(MessageBoxTest, CaptionIsTheBrandTitleAndTheIconDefaultsToTheExclamationMark) {
    QMessageBox* box = OpenMessageBox(nullptr, "Could not write data to the port.");
    EXPECT_TRUE(box->isVisible()) << "opened, not waited for";
    EXPECT_EQ(box->windowTitle(), "Brandname Recorder");
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->text(), "Could not write data to the port.");
    box->close();

    // An error's icon, through the worker's bridge: MainDlgTest.
    box = OpenMessageBox(nullptr, "Ready", MessageIcon::Information);
    EXPECT_EQ(box->icon(), QMessageBox::Information);
    box->close();
}

TEST_F(MessageBoxTest, QuestionsAnswerThroughTheCallbackAndClosingGivesTheDefault) {
    std::vector<bool> answers;
    QMessageBox* box = OpenYesNoBox(nullptr, "Scan the ports?", true,
                                    [&](bool bYes) { answers.push_back(bYes); });
    EXPECT_EQ(box->windowTitle(), "Brandname Recorder");
    EXPECT_EQ(box->icon(), QMessageBox::Question);
    EXPECT_TRUE(answers.empty()) << "nobody answered yet";
    QTest::mouseClick(box->button(QMessageBox::No), Qt::LeftButton);
    ASSERT_EQ(answers, std::vector<bool>{false});

    box = OpenYesNoBox(nullptr, "Scan the ports?", true, [&](bool bYes) { answers.push_back(bYes); });
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
    box = OpenYesNoBox(nullptr, "Again?", false, [&](bool bYes) { answers.push_back(bYes); });
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_EQ(answers, (std::vector<bool>{false, true, false}));
}

// The contacts window on the offscreen platform, on a contacts file of its
// own: a contact added, edited, found as the search is typed and deleted,
// each change in the file at once; number ranges and caller-ID kinds put on
// a list; an import's summary, and files that cannot be read or written
// told with their reason, nothing half done.
#include "OpenBoxes.h"
#include "TempHome.h"

#include "dialogs/ContactEditDlg.h"
#include "dialogs/ContactsDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <QTreeWidget>

namespace {

class ContactsDlgTest : public ::testing::Test {
protected:
    void SetUp() override { dlg.show(); }
    void TearDown() override { CloseBoxes(); }
    // The list's rows as "name | numbers | list".
    std::vector<std::string> Rows() {
        std::vector<std::string> rows;
        for (int i = 0; i < dlg.Contacts()->topLevelItemCount(); ++i) {
            const QTreeWidgetItem* item = dlg.Contacts()->topLevelItem(i);
            rows.push_back(
                QStringList{item->text(0), item->text(1), item->text(2)}.join(" | ").toStdString());
        }
        return rows;
    }
    void Ok(QDialog& editor) {
        QTest::mouseClick(editor.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                          Qt::LeftButton);
    }

    TempHome home;
    CContactsDlg dlg{{home.File("contacts.db"), "DE", "030"}};
};

TEST_F(ContactsDlgTest, AContactIsAddedEditedFoundAndDeletedInTheFile) {
    QTest::mouseClick(dlg.AddButton(), Qt::LeftButton);
    CContactEditDlg* editor = dlg.Editor();
    ASSERT_NE(editor, nullptr);
    editor->NameEdit()->setText("Anna Berg");
    editor->NumberTable()->item(0, 0)->setText("+49 30 123456");
    editor->AddNumberRow({"0171 2345678", "cell"});
    editor->ListBox()->setCurrentIndex(static_cast<int>(ContactList::Block));
    Ok(*editor);
    EXPECT_EQ(Rows(),
              (std::vector<std::string>{"Anna Berg | 030 123456, 0171 2345678 (cell) | block"}));

    // Edited: a number that is none keeps the editor open and says why.
    QTest::mouseClick(dlg.EditButton(), Qt::LeftButton);
    editor = dlg.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->NumberTable()->rowCount(), 2);
    editor->NameEdit()->setText("Anna Lind");
    editor->NumberTable()->item(1, 0)->setText("unknown");
    Ok(*editor);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_THAT(editor->ProblemLabel()->text().toStdString(), HasSubstr("no telephone number"));
    editor->NumberTable()->item(1, 0)->setText("");
    Ok(*editor);
    EXPECT_EQ(dlg.Editor(), nullptr);
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Anna Lind | 030 123456 | block"}));

    // Found by name or by a number written any way, as the search is typed.
    for (auto [search, found] : {std::pair{"lind", 1u}, {"30 1234", 1u}, {"nobody", 0u}}) {
        dlg.SearchEdit()->setText(search);
        EXPECT_EQ(Rows().size(), found) << search;
    }
    dlg.SearchEdit()->clear();
    // Another reader of the file sees each change.
    const CPhoneNumbers numbers("DE", "030");
    CContactStore other(numbers);
    ASSERT_TRUE(other.Open(home.File("contacts.db")));
    EXPECT_EQ(other.ContactForNumber("+4930123456")->sName, "Anna Lind");
    // What the other adds shows once the window is back in use.
    Contact bob;
    bob.sName = "Bob";
    ASSERT_NE(other.AddContact(bob), 0);
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(&dlg, &activate);
    EXPECT_EQ(Rows().size(), 2u);

    // Deleted after asking; No keeps it.
    for (auto button : {QMessageBox::No, QMessageBox::Yes}) {
        QTest::mouseClick(dlg.DeleteButton(), Qt::LeftButton);
        ASSERT_NE(OpenBox(QMessageBox::Yes), nullptr);
        OpenBox(QMessageBox::Yes)->button(button)->click();
        EXPECT_EQ(other.ContactCount(), button == QMessageBox::No ? 2 : 1);
    }
    EXPECT_EQ(Rows(), (std::vector<std::string>{"Bob |  | none"}));
}

TEST_F(ContactsDlgTest, RangesAndCallerKindsGoOnAList) {
    dlg.PrefixEdit()->setText("0900");
    QTest::mouseClick(dlg.AddPrefixButton(), Qt::LeftButton);
    dlg.PrefixEdit()->setText("premium");
    QTest::mouseClick(dlg.AddPrefixButton(), Qt::LeftButton);
    EXPECT_THAT(dlg.StatusLabel()->text().toStdString(),
                HasSubstr("\"premium\" is no number range"));
    ASSERT_EQ(dlg.PrefixList()->topLevelItemCount(), 1);
    EXPECT_EQ(dlg.PrefixList()->topLevelItem(0)->text(1), "block");
    EXPECT_EQ(dlg.Store().PrefixRuleFor("+49900123")->list, ContactList::Block);
    QComboBox* withheld = dlg.ClassBox(CallerClass::Withheld);
    withheld->setCurrentIndex(static_cast<int>(ContactList::Permit));
    emit withheld->activated(withheld->currentIndex());
    EXPECT_EQ(dlg.Store().ClassRule(CallerClass::Withheld), ContactList::Permit);
}

TEST_F(ContactsDlgTest, AnImportShowsItsSummaryAndAFileThatFailsChangesNothing) {
    home.Write("two.vcf",
               "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Anna Berg\r\nTEL;TYPE=HOME:030 123456\r\n"
               "END:VCARD\r\nBEGIN:VCARD\r\nVERSION:4.0\r\nFN:No Phone\r\nEND:VCARD\r\n");
    home.Write("broken.vcf", "BEGIN:VCARD\r\nFN:Eve\r\nTEL:030 666\r\nEND:VCARD\r\n"
                             "BEGIN:VCARD\r\nFN:\xff\xfe\r\nTEL:1\r\nEND:VCARD\r\n");
    struct Row {
        std::string file;
        std::string told; // in the box
        size_t rows;      // in the list afterwards
    } rows[] = {
        {home.File("two.vcf"), ": 1; skipped: 1.\nskipped: card 2 (No Phone): no telephone number",
         1},
        {home.File("broken.vcf"), "Nothing is imported: " + home.File("broken.vcf") + " is refused",
         1},
        {home.File("gone.vcf"), "No such file", 1},
    };
    for (const Row& r : rows) {
        dlg.ImportFrom(QString::fromStdString(r.file));
        EXPECT_THAT(TakeBoxText(), HasSubstr(r.told)) << r.file;
        EXPECT_EQ(Rows().size(), r.rows) << r.file;
    }
    dlg.ExportTo(QString::fromStdString(home.File("none/out.csv")));
    EXPECT_THAT(TakeBoxText(), HasSubstr("out.csv cannot be written: No such file"));
    dlg.ExportTo(QString::fromStdString(home.File("out.csv")));
    EXPECT_EQ(home.Read("out.csv"), "number,name,list\r\n030 123456,Anna Berg,none\r\n");
}

TEST(ContactsDlgFileTest, AFileThatIsNoContactsFileIsToldAndNothingCanBeDone) {
    TempHome home;
    home.Write("contacts.db", "not a database, but a file of the same name");
    CContactsDlg dlg({home.File("contacts.db"), "", ""});
    EXPECT_FALSE(dlg.Tabs()->isEnabled());
    EXPECT_THAT(dlg.StatusLabel()->text().toStdString(), HasSubstr("cannot be opened"));
}

} // namespace

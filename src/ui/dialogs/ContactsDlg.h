// "Contacts": the contacts file's contacts, found as the search is typed,
// added, edited and deleted (after asking); the number ranges and the kinds
// of caller ID on the permit or block list; import from and export to vCard
// and CSV files. Each change is written to the file at once. What fails (the
// file that cannot be opened, read or written) is said in the window with
// its reason; an import takes every contact of the file or none.
#pragma once

#include "app/ContactsLogic.h"
#include "screening/ContactStore.h"
#include "screening/PhoneNumbers.h"

#include <QDialog>

#include <cstdint>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;
class CContactEditDlg;

class CContactsDlg : public QDialog {
    Q_OBJECT
public:
    explicit CContactsDlg(const ContactsPlace& place, QWidget* parent = nullptr);

    CContactStore& Store() { return m_store; }
    QTabWidget* Tabs() const { return m_pTabs; }
    QLineEdit* SearchEdit() const { return m_pSearch; }
    QTreeWidget* Contacts() const { return m_pContacts; }
    QPushButton* AddButton() const { return m_pAdd; }
    QPushButton* EditButton() const { return m_pEdit; }
    QPushButton* DeleteButton() const { return m_pDelete; }
    QTreeWidget* PrefixList() const { return m_pPrefixes; }
    QLineEdit* PrefixEdit() const { return m_pPrefix; }
    QComboBox* PrefixListBox() const { return m_pPrefixList; }
    QPushButton* AddPrefixButton() const { return m_pAddPrefix; }
    QComboBox* ClassBox(CallerClass callerClass) const;
    QLabel* StatusLabel() const { return m_pStatus; }
    // The editor open for a new or a chosen contact, or null.
    CContactEditDlg* Editor() const { return m_pEditor; }

    // The buttons' work, the file named.
    void ImportFrom(const QString& file);
    void ExportTo(const QString& file);

protected:
    // Back in the window: what others changed meanwhile (the pop-up's
    // "Block caller", vorella-tool) is shown.
    bool event(QEvent* e) override;

private:
    void ShowContacts();
    void ShowRules();
    void OpenEditor(const Contact& contact);
    void EditChosen();
    void DeleteChosen();
    void AddPrefix();
    void DeletePrefix();
    void SetStatus(const QString& text);
    // The store's error in the status line when ok is false; ok.
    bool Told(bool ok);

    CPhoneNumbers m_numbers;
    CContactStore m_store;
    QTabWidget* m_pTabs;
    QLineEdit* m_pSearch;
    QTreeWidget* m_pContacts;
    QPushButton* m_pAdd;
    QPushButton* m_pEdit;
    QPushButton* m_pDelete;
    QTreeWidget* m_pPrefixes;
    QLineEdit* m_pPrefix;
    QComboBox* m_pPrefixList;
    QPushButton* m_pAddPrefix;
    QComboBox* m_pClasses[kCallerClassCount] = {};
    QLabel* m_pStatus;
    CContactEditDlg* m_pEditor = nullptr;
};

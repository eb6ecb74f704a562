// One contact, added or edited: its name, its numbers with their types, the
// list it is on, its own greeting and a memo. OK tidies the fields and
// checks them (CheckContact); a problem keeps the dialog open and says what.
#pragma once

#include "screening/Contact.h"

#include <QDialog>
#include <QStringList>

class CPhoneNumbers;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableWidget;

class CContactEditDlg : public QDialog {
    Q_OBJECT
public:
    CContactEditDlg(const Contact& contact, const CPhoneNumbers& numbers,
                    QWidget* parent = nullptr);

    // The lists' names, in the order of ContactList.
    static QStringList ListNames();

    // The contact as the fields give it, tidied (its id as it came).
    Contact Edited() const;

    QLineEdit* NameEdit() const { return m_pName; }
    QTableWidget* NumberTable() const { return m_pNumbers; }
    QComboBox* ListBox() const { return m_pList; }
    QLineEdit* GreetingEdit() const { return m_pGreeting; }
    QPlainTextEdit* MemoEdit() const { return m_pMemo; }
    QLabel* ProblemLabel() const { return m_pProblems; }
    // A row for one more number, its number field being edited.
    void AddNumberRow(const ContactNumber& number = {});

    void accept() override;

private:
    void ChooseGreeting();

    const CPhoneNumbers& m_numbers;
    Contact m_contact;
    QLineEdit* m_pName;
    QTableWidget* m_pNumbers;
    QComboBox* m_pList;
    QLineEdit* m_pGreeting;
    QPlainTextEdit* m_pMemo;
    QLabel* m_pProblems;
};

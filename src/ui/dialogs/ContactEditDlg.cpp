#include "dialogs/ContactEditDlg.h"

#include "app/ContactsLogic.h"
#include "dialogs/WaveFilter.h"
#include "engine/ProgramFile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {
enum Column { kNumber = 0, kType = 1 };

// The types a card gives a number; others may be typed.
const char* const kTypes[] = {"",      "home", "work",  "cell", "fax",
                              "pager", "main", "voice", "car",  "textphone"};

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

QStringList CContactEditDlg::ListNames() {
    return {tr("none"), tr("permit"), tr("block")};
}

CContactEditDlg::CContactEditDlg(const Contact& contact, const CPhoneNumbers& numbers,
                                 QWidget* parent)
    : QDialog(parent), m_numbers(numbers), m_contact(contact) {
    setWindowTitle(contact.nId ? tr("Edit Contact") : tr("New Contact"));
    m_pName = new QLineEdit(Q(contact.sName), this);
    m_pNumbers = new QTableWidget(0, 2, this);
    m_pNumbers->setHorizontalHeaderLabels({tr("Number"), tr("Type")});
    m_pNumbers->horizontalHeader()->setSectionResizeMode(kNumber, QHeaderView::Stretch);
    m_pNumbers->verticalHeader()->hide();
    auto* addNumber = new QPushButton(tr("Add &number"), this);
    auto* removeNumber = new QPushButton(tr("Re&move number"), this);
    m_pList = new QComboBox(this);
    m_pList->addItems(ListNames());
    m_pList->setCurrentIndex(static_cast<int>(contact.list));
    m_pGreeting = new QLineEdit(Q(contact.sGreeting), this);
    m_pGreeting->setPlaceholderText(tr("the usual greeting"));
    auto* chooseGreeting = new QPushButton(tr("..."), this);
    chooseGreeting->setAccessibleName(tr("Choose the greeting file"));
    m_pMemo = new QPlainTextEdit(Q(contact.sMemo), this);
    m_pProblems = new QLabel(this);
    m_pProblems->setTextFormat(Qt::PlainText);
    m_pProblems->setWordWrap(true);
    m_pProblems->setVisible(false);
    for (const ContactNumber& n : contact.numbers)
        AddNumberRow(n);
    if (contact.numbers.empty())
        AddNumberRow();

    auto* numberButtons = new QVBoxLayout;
    numberButtons->addWidget(addNumber);
    numberButtons->addWidget(removeNumber);
    numberButtons->addStretch(1);
    auto* numberRow = new QHBoxLayout;
    numberRow->addWidget(m_pNumbers, 1);
    numberRow->addLayout(numberButtons);
    auto* greetingRow = new QHBoxLayout;
    greetingRow->addWidget(m_pGreeting, 1);
    greetingRow->addWidget(chooseGreeting);
    auto* form = new QFormLayout;
    form->addRow(tr("N&ame:"), m_pName);
    // Rows whose field is a layout get no buddy by themselves, and a label
    // without one shows its '&' instead of a shortcut.
    auto* numbersLabel = new QLabel(tr("N&umbers:"), this);
    numbersLabel->setBuddy(m_pNumbers);
    form->addRow(numbersLabel, numberRow);
    form->addRow(tr("&List:"), m_pList);
    auto* greetingLabel = new QLabel(tr("&Greeting:"), this);
    greetingLabel->setBuddy(m_pGreeting);
    form->addRow(greetingLabel, greetingRow);
    form->addRow(tr("M&emo:"), m_pMemo);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* top = new QVBoxLayout(this);
    top->addLayout(form);
    top->addWidget(m_pProblems);
    top->addWidget(box);

    connect(box, &QDialogButtonBox::accepted, this, &CContactEditDlg::accept);
    connect(box, &QDialogButtonBox::rejected, this, &CContactEditDlg::reject);
    connect(addNumber, &QPushButton::clicked, this, [this] { AddNumberRow(); });
    connect(removeNumber, &QPushButton::clicked, this, [this] {
        if (m_pNumbers->currentRow() >= 0)
            m_pNumbers->removeRow(m_pNumbers->currentRow());
    });
    connect(chooseGreeting, &QPushButton::clicked, this, &CContactEditDlg::ChooseGreeting);
}

void CContactEditDlg::AddNumberRow(const ContactNumber& number) {
    const int row = m_pNumbers->rowCount();
    m_pNumbers->insertRow(row);
    m_pNumbers->setItem(row, kNumber, new QTableWidgetItem(Q(number.sNumber)));
    auto* type = new QComboBox(m_pNumbers);
    type->setEditable(true);
    for (const char* t : kTypes)
        type->addItem(QString::fromLatin1(t));
    type->setCurrentText(Q(number.sType));
    m_pNumbers->setCellWidget(row, kType, type);
    m_pNumbers->setCurrentCell(row, kNumber);
}

Contact CContactEditDlg::Edited() const {
    Contact c = m_contact;
    c.sName = m_pName->text().toStdString();
    c.numbers.clear();
    for (int row = 0; row < m_pNumbers->rowCount(); ++row) {
        const QTableWidgetItem* number = m_pNumbers->item(row, kNumber);
        const auto* type = qobject_cast<QComboBox*>(m_pNumbers->cellWidget(row, kType));
        c.numbers.push_back({number ? number->text().toStdString() : std::string(),
                             type ? type->currentText().toStdString() : std::string()});
    }
    c.list = static_cast<ContactList>(m_pList->currentIndex());
    c.sGreeting = m_pGreeting->text().toStdString();
    c.sMemo = m_pMemo->toPlainText().toStdString();
    return Tidied(std::move(c));
}

void CContactEditDlg::accept() {
    const std::vector<std::string> problems = CheckContact(Edited(), m_numbers);
    if (!problems.empty()) {
        QStringList lines;
        for (const std::string& p : problems)
            lines << Q(p);
        m_pProblems->setText(lines.join('\n'));
        m_pProblems->setVisible(true);
        return;
    }
    QDialog::accept();
}

void CContactEditDlg::ChooseGreeting() {
    const QString start = m_pGreeting->text().isEmpty()
                              ? QString()
                              : Q(ProgramFile(m_pGreeting->text().toStdString()));
    const QString file =
        QFileDialog::getOpenFileName(this, tr("Choose a greeting"), start, WaveFileFilter());
    if (!file.isEmpty())
        m_pGreeting->setText(file);
}

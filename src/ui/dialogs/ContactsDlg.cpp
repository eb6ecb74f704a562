#include "dialogs/ContactsDlg.h"

#include "dialogs/ContactEditDlg.h"
#include "frontend/MessageBoxes.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {
// Rows shown at once; a search finds the others.
constexpr int kShown = 2000;
// Reasons for skipped entries shown after an import; the rest are counted.
constexpr size_t kSkippedShown = 20;
constexpr int kIdRole = Qt::UserRole;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

QTreeWidget* List(const QStringList& columns, QWidget* parent) {
    auto* list = new QTreeWidget(parent);
    list->setHeaderLabels(columns);
    list->setRootIsDecorated(false);
    list->setUniformRowHeights(true);
    list->header()->setStretchLastSection(false);
    list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    return list;
}

QComboBox* ListChoice(QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->addItems(CContactEditDlg::ListNames());
    return box;
}

QVBoxLayout* Buttons(std::initializer_list<QPushButton*> buttons) {
    auto* column = new QVBoxLayout;
    for (QPushButton* b : buttons)
        column->addWidget(b);
    column->addStretch(1);
    return column;
}
} // namespace

CContactsDlg::CContactsDlg(const ContactsPlace& place, QWidget* parent)
    : QDialog(parent), m_numbers(place.sCountry, place.sAreaCode), m_store(m_numbers) {
    setWindowTitle(tr("Contacts"));
    m_pTabs = new QTabWidget(this);

    auto* contacts = new QWidget(m_pTabs);
    m_pSearch = new QLineEdit(contacts);
    m_pSearch->setPlaceholderText(tr("Search names and numbers"));
    m_pSearch->setClearButtonEnabled(true);
    m_pContacts = List({tr("Name"), tr("Numbers"), tr("List")}, contacts);
    m_pContacts->header()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_pAdd = new QPushButton(tr("&Add..."), contacts);
    m_pEdit = new QPushButton(tr("&Edit..."), contacts);
    m_pDelete = new QPushButton(tr("&Delete"), contacts);
    auto* import = new QPushButton(tr("&Import..."), contacts);
    auto* exportTo = new QPushButton(tr("E&xport..."), contacts);
    auto* contactsBody = new QHBoxLayout;
    contactsBody->addWidget(m_pContacts, 1);
    contactsBody->addLayout(Buttons({m_pAdd, m_pEdit, m_pDelete, import, exportTo}));
    auto* contactsPage = new QVBoxLayout(contacts);
    contactsPage->addWidget(m_pSearch);
    contactsPage->addLayout(contactsBody, 1);
    m_pTabs->addTab(contacts, tr("&Contacts"));

    auto* rules = new QWidget(m_pTabs);
    m_pPrefixes = List({tr("Numbers beginning with"), tr("List")}, rules);
    m_pPrefix = new QLineEdit(rules);
    m_pPrefix->setPlaceholderText(tr("0900, +44 ..."));
    m_pPrefixList = ListChoice(rules);
    m_pPrefixList->setCurrentIndex(static_cast<int>(ContactList::Block));
    m_pAddPrefix = new QPushButton(tr("Add ra&nge"), rules);
    auto* deletePrefix = new QPushButton(tr("Dele&te range"), rules);
    auto* newPrefix = new QHBoxLayout;
    newPrefix->addWidget(m_pPrefix, 1);
    newPrefix->addWidget(m_pPrefixList);
    auto* prefixBody = new QHBoxLayout;
    prefixBody->addWidget(m_pPrefixes, 1);
    prefixBody->addLayout(Buttons({m_pAddPrefix, deletePrefix}));
    auto* classes = new QFormLayout;
    const QString classNames[kCallerClassCount] = {QString(), tr("&Withheld or anonymous:"),
                                                   tr("&Out of area:"), tr("&Payphone:"),
                                                   tr("In&valid caller ID:")};
    for (int c = 1; c < kCallerClassCount; ++c) {
        m_pClasses[c] = ListChoice(rules);
        classes->addRow(classNames[c], m_pClasses[c]);
        connect(m_pClasses[c], &QComboBox::activated, this, [this, c](int list) {
            Told(m_store.SetClassRule(static_cast<CallerClass>(c), static_cast<ContactList>(list)));
        });
    }
    auto* rulesPage = new QVBoxLayout(rules);
    rulesPage->addWidget(new QLabel(tr("Number ranges:"), rules));
    rulesPage->addLayout(prefixBody, 1);
    rulesPage->addLayout(newPrefix);
    rulesPage->addSpacing(8);
    rulesPage->addWidget(new QLabel(tr("Callers who send no number:"), rules));
    rulesPage->addLayout(classes);
    m_pTabs->addTab(rules, tr("&Rules"));

    m_pStatus = new QLabel(this);
    m_pStatus->setTextFormat(Qt::PlainText);
    m_pStatus->setWordWrap(true);
    auto* box = new QDialogButtonBox(QDialogButtonBox::Close, this);
    auto* top = new QVBoxLayout(this);
    top->addWidget(m_pTabs, 1);
    top->addWidget(m_pStatus);
    top->addWidget(box);
    resize(720, 480);

    connect(box, &QDialogButtonBox::rejected, this, &CContactsDlg::reject);
    connect(m_pSearch, &QLineEdit::textChanged, this, &CContactsDlg::ShowContacts);
    connect(m_pAdd, &QPushButton::clicked, this, [this] { OpenEditor(Contact{}); });
    connect(m_pEdit, &QPushButton::clicked, this, &CContactsDlg::EditChosen);
    connect(m_pContacts, &QTreeWidget::itemActivated, this, &CContactsDlg::EditChosen);
    connect(m_pDelete, &QPushButton::clicked, this, &CContactsDlg::DeleteChosen);
    connect(import, &QPushButton::clicked, this, [this] {
        const QString file =
            QFileDialog::getOpenFileName(this, tr("Import Contacts"), QString(),
                                         tr("Contacts (*.vcf *.vcard *.csv *.txt);;All files (*)"));
        if (!file.isEmpty())
            ImportFrom(file);
    });
    connect(exportTo, &QPushButton::clicked, this, [this] {
        QString filter;
        QString file = QFileDialog::getSaveFileName(this, tr("Export Contacts"),
                                                    QStringLiteral("contacts.vcf"),
                                                    tr("vCard (*.vcf);;CSV (*.csv)"), &filter);
        if (file.isEmpty())
            return;
        if (QFileInfo(file).suffix().isEmpty())
            file += filter.contains(QLatin1String("*.csv")) ? ".csv" : ".vcf";
        ExportTo(file);
    });
    connect(m_pAddPrefix, &QPushButton::clicked, this, &CContactsDlg::AddPrefix);
    connect(m_pPrefix, &QLineEdit::returnPressed, this, &CContactsDlg::AddPrefix);
    connect(deletePrefix, &QPushButton::clicked, this, &CContactsDlg::DeletePrefix);

    if (!m_store.Open(place.sPath)) {
        m_pTabs->setEnabled(false);
        SetStatus(Q(m_store.Error()));
        return;
    }
    ShowContacts();
    ShowRules();
}

QComboBox* CContactsDlg::ClassBox(CallerClass callerClass) const {
    return m_pClasses[static_cast<int>(callerClass)];
}

bool CContactsDlg::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate && m_pTabs->isEnabled()) {
        ShowContacts();
        ShowRules();
    }
    return QDialog::event(e);
}

void CContactsDlg::SetStatus(const QString& text) {
    m_pStatus->setText(text);
}

bool CContactsDlg::Told(bool ok) {
    if (!ok)
        SetStatus(Q(m_store.Error()));
    return ok;
}

void CContactsDlg::ShowContacts() {
    const int64_t chosen =
        m_pContacts->currentItem() ? m_pContacts->currentItem()->data(0, kIdRole).toLongLong() : 0;
    const std::vector<Contact> found =
        m_store.FindContacts(m_pSearch->text().trimmed().toStdString(), kShown);
    if (!Told(m_store.Error().empty()))
        return;
    const QStringList lists = CContactEditDlg::ListNames();
    m_pContacts->clear();
    QList<QTreeWidgetItem*> items;
    QTreeWidgetItem* current = nullptr;
    for (const Contact& c : found) {
        const ContactRow row = RowOf(c, m_numbers);
        auto* item = new QTreeWidgetItem(
            {Q(row.sName), Q(row.sNumbers), lists.value(static_cast<int>(row.list))});
        item->setData(0, kIdRole, static_cast<qlonglong>(c.nId));
        items.append(item);
        if (c.nId == chosen)
            current = item;
    }
    m_pContacts->addTopLevelItems(items);
    m_pContacts->setCurrentItem(current ? current : m_pContacts->topLevelItem(0));
    m_pEdit->setEnabled(!found.empty());
    m_pDelete->setEnabled(!found.empty());
    if (found.size() == static_cast<size_t>(kShown))
        SetStatus(tr("The first %1 contacts are shown; a search finds the others.").arg(kShown));
}

void CContactsDlg::ShowRules() {
    const std::vector<PrefixRule> prefixes = m_store.PrefixRules();
    if (!Told(m_store.Error().empty()))
        return;
    const QStringList lists = CContactEditDlg::ListNames();
    m_pPrefixes->clear();
    for (const PrefixRule& r : prefixes)
        m_pPrefixes->addTopLevelItem(
            new QTreeWidgetItem({Q(r.sPrefix), lists.value(static_cast<int>(r.list))}));
    for (int c = 1; c < kCallerClassCount; ++c)
        m_pClasses[c]->setCurrentIndex(
            static_cast<int>(m_store.ClassRule(static_cast<CallerClass>(c))));
    Told(m_store.Error().empty());
}

void CContactsDlg::OpenEditor(const Contact& contact) {
    if (m_pEditor) {
        m_pEditor->raise();
        m_pEditor->activateWindow();
        return;
    }
    auto* editor = new CContactEditDlg(contact, m_numbers, this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    m_pEditor = editor;
    connect(editor, &QDialog::finished, this, [this, editor](int result) {
        m_pEditor = nullptr;
        if (result != QDialog::Accepted)
            return;
        const Contact c = editor->Edited();
        if (c.nId ? Told(m_store.UpdateContact(c)) : Told(m_store.AddContact(c) != 0))
            SetStatus(tr("%1 is stored.").arg(Q(RowOf(c, m_numbers).sName)));
        ShowContacts();
    });
    editor->open();
}

void CContactsDlg::EditChosen() {
    const QTreeWidgetItem* item = m_pContacts->currentItem();
    if (!item)
        return;
    const std::optional<Contact> contact = m_store.GetContact(item->data(0, kIdRole).toLongLong());
    if (contact)
        OpenEditor(*contact);
    else if (Told(m_store.Error().empty()))
        SetStatus(tr("%1 was deleted meanwhile.").arg(item->text(0)));
    if (!contact)
        ShowContacts();
}

void CContactsDlg::DeleteChosen() {
    const QTreeWidgetItem* item = m_pContacts->currentItem();
    if (!item)
        return;
    const int64_t id = item->data(0, kIdRole).toLongLong();
    const QString name = item->text(0);
    OpenYesNoBox(this, tr("Delete the contact %1?").arg(name).toStdString(), false,
                 [this, id, name](bool yes) {
                     if (!yes)
                         return;
                     if (Told(m_store.DeleteContact(id)))
                         SetStatus(tr("%1 is deleted.").arg(name));
                     ShowContacts();
                 });
}

void CContactsDlg::AddPrefix() {
    const std::string prefix = m_pPrefix->text().trimmed().toStdString();
    if (prefix.empty())
        return;
    if (!Told(
            m_store.AddPrefixRule(prefix, static_cast<ContactList>(m_pPrefixList->currentIndex()))))
        return;
    m_pPrefix->clear();
    SetStatus(QString());
    ShowRules();
}

void CContactsDlg::DeletePrefix() {
    if (const QTreeWidgetItem* item = m_pPrefixes->currentItem()) {
        Told(m_store.DeletePrefixRule(item->text(0).toStdString()));
        ShowRules();
    }
}

void CContactsDlg::ImportFrom(const QString& file) {
    const ContactsTransfer done = ImportContactsFile(m_store, file.toStdString());
    if (!done.sError.empty()) {
        const QString text = tr("Nothing is imported: %1").arg(Q(done.sError));
        SetStatus(text);
        OpenMessageBox(this, text.toStdString());
        return;
    }
    const QString summary = tr("Contacts imported from %1: %2; skipped: %3.")
                                .arg(file)
                                .arg(done.nContacts)
                                .arg(done.skipped.size());
    QStringList lines{summary};
    for (size_t i = 0; i < done.skipped.size() && i < kSkippedShown; ++i)
        lines << Q(done.skipped[i]);
    if (done.skipped.size() > kSkippedShown)
        lines << tr("... and %1 more.").arg(done.skipped.size() - kSkippedShown);
    SetStatus(summary);
    OpenMessageBox(this, lines.join('\n').toStdString(), MessageIcon::Information);
    ShowContacts();
}

void CContactsDlg::ExportTo(const QString& file) {
    const ContactsTransfer done = ExportContactsFile(m_store, file.toStdString());
    if (!done.sError.empty()) {
        const QString text = tr("Nothing is exported: %1").arg(Q(done.sError));
        SetStatus(text);
        OpenMessageBox(this, text.toStdString());
        return;
    }
    SetStatus(tr("Contacts exported to %1: %2.").arg(file).arg(done.nContacts));
}

#include "options/GeneralPage.h"

#include "platform/Strings.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
constexpr int kStrSelectFolder = 139; // "Select Folder for Recorded Calls"
} // namespace

CGeneralPage::CGeneralPage(QWidget* parent) : COptionsPage(tr("Startup"), parent) {
    m_pAutoStart = new QCheckBox(tr("Run at system &startup"), this);
    m_pToTray = new QCheckBox(tr("Start to System &Tray"), this);
    m_pPopup = new QCheckBox(tr("Show &notifications on incoming calls"), this);
    Body()->addWidget(m_pAutoStart);
    Body()->addWidget(m_pToTray);
    Body()->addWidget(m_pPopup);

    AddHeading(tr("Messages"));
    m_pCompress = new QCheckBox(tr("&Compress recorded messages"), this);
    auto* note = new QLabel(tr("1:10 compression ratio; slightly decreases quality"), this);
    note->setIndent(24);
    Body()->addWidget(m_pCompress);
    Body()->addWidget(note);

    auto* folderLabel = new QLabel(tr("Select folder to store recorded messages:"), this);
    m_pFolder = new QLineEdit(this);
    m_pFolder->setPlaceholderText(tr("the program folder"));
    folderLabel->setBuddy(m_pFolder);
    m_pBrowse = new QPushButton(tr("&Browse..."), this);
    auto* row = new QHBoxLayout;
    row->addWidget(m_pFolder, 1);
    row->addWidget(m_pBrowse);
    Body()->addSpacing(8);
    Body()->addWidget(folderLabel);
    Body()->addLayout(row);
    Body()->addStretch(1);
    connect(m_pBrowse, &QPushButton::clicked, this, &CGeneralPage::Browse);
}

void CGeneralPage::Load(const OptionsValues& v) {
    m_pAutoStart->setChecked(v.bAutoStart);
    m_pToTray->setChecked(v.bStartToTray);
    m_pPopup->setChecked(v.bPopup);
    m_pCompress->setChecked(v.bCompressWav);
    m_pFolder->setText(QString::fromStdString(v.sDataPath));
}

void CGeneralPage::Save(OptionsValues& v) const {
    v.bAutoStart = m_pAutoStart->isChecked();
    v.bStartToTray = m_pToTray->isChecked();
    v.bPopup = m_pPopup->isChecked();
    v.bCompressWav = m_pCompress->isChecked();
    v.sDataPath = m_pFolder->text().trimmed().toStdString();
}

void CGeneralPage::Browse() {
    const QString folder = QFileDialog::getExistingDirectory(
        this, QString::fromStdString(LoadStr(kStrSelectFolder)), m_pFolder->text());
    if (!folder.isEmpty())
        m_pFolder->setText(folder);
}

#include "main/StatusWindow.h"

#include "app/Brand.h"
#include "app/CommandIds.h"
#include "popup/RecordIcon.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
// The menu: the tray menu's commands, in its order.
struct MenuEntry {
    const char* text; // nullptr: a separator
    int nId;
};
constexpr MenuEntry kMenu[] = {
    {"&Record", kCmdRecord},
    {"&Stop", kCmdStopRecording},
    {nullptr, 0},
    {"&Disable", kCmdDisable},
    {nullptr, 0},
    {"&Configuration...", kCmdOptions},
    {"D&iagnostics...", kCmdDiagnostics},
    {nullptr, 0},
    {"&Contents", kCmdHelp},
    {"A&bout...", kCmdAbout},
    {nullptr, 0},
    {"E&xit", kCmdExit},
};

QLabel* PlainLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    // Caller data comes from strangers: never markup.
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}
} // namespace

CStatusWindow::CStatusWindow(QWidget* parent)
    : QWidget(parent), m_pStatus(PlainLabel(this)), m_pName(PlainLabel(this)),
      m_pNumber(PlainLabel(this)), m_pRecord(new QPushButton(RecordIcon(), tr("&Record"), this)),
      m_pStop(new QPushButton(tr("&Stop"), this)), m_pMenu(new QToolButton(this)) {
    setObjectName("StatusWindow");
    setWindowTitle(QString::fromStdString(AppBrand().sTitle));
    QFont bold = m_pName->font();
    bold.setBold(true);
    m_pName->setFont(bold);

    auto* fields = new QFormLayout;
    fields->addRow(tr("Status:"), m_pStatus);
    fields->addRow(tr("Caller:"), m_pName);
    fields->addRow(tr("Number:"), m_pNumber);

    auto* menu = new QMenu(this);
    for (const MenuEntry& e : kMenu) {
        if (!e.text) {
            menu->addSeparator();
            continue;
        }
        const int nId = e.nId;
        menu->addAction(tr(e.text), this, [this, nId] { emit command(nId); });
    }
    m_pMenu->setText(tr("&Menu"));
    m_pMenu->setMenu(menu);
    m_pMenu->setPopupMode(QToolButton::InstantPopup);
    m_pMenu->setToolButtonStyle(Qt::ToolButtonTextOnly);

    connect(m_pRecord, &QPushButton::clicked, this, [this] { emit command(kCmdRecord); });
    connect(m_pStop, &QPushButton::clicked, this, [this] { emit command(kCmdStopRecording); });

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_pRecord);
    buttons->addWidget(m_pStop);
    buttons->addStretch();
    buttons->addWidget(m_pMenu);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumWidth(360);
}

void CStatusWindow::SetStatus(const QString& text) {
    m_pStatus->setText(text);
}

void CStatusWindow::SetCaller(const QString& name, const QString& number) {
    m_pName->setText(name);
    m_pNumber->setText(number);
}

QString CStatusWindow::Status() const {
    return m_pStatus->text();
}

QString CStatusWindow::CallerName() const {
    return m_pName->text();
}

QString CStatusWindow::CallerNumber() const {
    return m_pNumber->text();
}

#include "main/CallerPanel.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {
QString Q(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}
} // namespace

CCallerPanel::CCallerPanel(QWidget* parent)
    : QWidget(parent), m_pName(new QLineEdit(this)), m_pNumber(new QLineEdit(this)),
      m_pMemo(new QPlainTextEdit(this)), m_pKeys(new QLineEdit(this)) {
    setObjectName("CallerPanel");
    m_pName->setObjectName("CallerName");
    m_pNumber->setObjectName("CallerNumber");
    m_pMemo->setObjectName("CallerMemo");
    m_pName->setAccessibleName(tr("Caller's name"));
    m_pNumber->setAccessibleName(tr("Caller's number"));
    m_pMemo->setAccessibleName(tr("Memo on the call"));
    m_pKeys->setObjectName("CallerKeys");
    m_pKeys->setAccessibleName(tr("Keys the caller pressed"));
    m_pKeys->setReadOnly(true);
    m_pKeys->setMaxLength(static_cast<int>(CCallKeys::kMaxKeys));
    m_pMemo->setTabChangesFocus(true);
    // Two lines show beside the list; a longer memo scrolls, so the list
    // keeps its room on a small or magnified screen.
    const int line = m_pMemo->fontMetrics().lineSpacing();
    m_pMemo->setFixedHeight(2 * line + 2 * m_pMemo->frameWidth() +
                            static_cast<int>(2 * m_pMemo->document()->documentMargin()));

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    auto label = [this](const QString& text, QWidget* buddy) {
        auto* l = new QLabel(text, this);
        l->setBuddy(buddy);
        return l;
    };
    grid->addWidget(label(tr("&From:"), m_pName), 0, 0);
    grid->addWidget(m_pName, 0, 1);
    grid->addWidget(label(tr("N&umber:"), m_pNumber), 0, 2);
    grid->addWidget(m_pNumber, 0, 3);
    grid->addWidget(label(tr("M&emo:"), m_pMemo), 1, 0, Qt::AlignTop);
    grid->addWidget(m_pMemo, 1, 1, 1, 5);
    grid->addWidget(label(tr("&Keys:"), m_pKeys), 0, 4);
    grid->addWidget(m_pKeys, 0, 5);
    grid->setColumnStretch(1, 3);
    grid->setColumnStretch(3, 2);
    grid->setColumnStretch(5, 1);

    m_pause.setSingleShot(true);
    m_pause.setInterval(kWritePauseMs);
    connect(&m_pause, &QTimer::timeout, this, &CCallerPanel::writeDue);
    connect(m_pName, &QLineEdit::textEdited, this, &CCallerPanel::OnEdit);
    connect(m_pNumber, &QLineEdit::textEdited, this, &CCallerPanel::OnEdit);
    connect(m_pMemo, &QPlainTextEdit::textChanged, this, &CCallerPanel::OnEdit);
}

void CCallerPanel::OnEdit() {
    if (m_bFilling)
        return;
    // The pause starts first, so that whoever hears of the edit may write
    // at once and cancel it.
    m_pause.start();
    emit edited();
}

void CCallerPanel::SetFields(const std::string& sName, const std::string& sNumber,
                             const std::string& sMemo) {
    m_bFilling = true;
    if (m_pName->text() != Q(sName))
        m_pName->setText(Q(sName));
    if (m_pNumber->text() != Q(sNumber))
        m_pNumber->setText(Q(sNumber));
    if (m_pMemo->toPlainText() != Q(sMemo))
        m_pMemo->setPlainText(Q(sMemo));
    m_bFilling = false;
}

void CCallerPanel::SetCallBusy(bool bBusy) {
    m_keys.SetBusy(bBusy);
    ShowKeys();
}

void CCallerPanel::AppendToneKey(char key) {
    m_keys.Append(key);
    ShowKeys();
}

void CCallerPanel::ShowKeys() {
    m_pKeys->setText(QString::fromLatin1(m_keys.Keys().data(),
                                         static_cast<qsizetype>(m_keys.Keys().size())));
    // While a call is on the line, the empty field says it waits for keys.
    m_pKeys->setPlaceholderText(m_keys.Busy() ? tr("on the line") : QString());
}

std::string CCallerPanel::Name() const {
    return m_pName->text().toStdString();
}

std::string CCallerPanel::Number() const {
    return m_pNumber->text().toStdString();
}

std::string CCallerPanel::Memo() const {
    return m_pMemo->toPlainText().toStdString();
}

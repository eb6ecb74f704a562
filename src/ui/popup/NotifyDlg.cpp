#include "popup/NotifyDlg.h"

#include "main/MainIcons.h"
#include "platform/Strings.h"
#include "popup/PopupPlacement.h"
#include "popup/RecordIcon.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace {
constexpr int kStringIncomingCall = 57789;
} // namespace

CNotifyDlg::CNotifyDlg(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      m_pFirst(new QLabel(this)), m_pSecond(new QLabel(this)), m_pRecord(new QPushButton(this)),
      m_pAnswer(AddButton("Answer", tr("Answer"), &CNotifyDlg::answerRequested)),
      m_pBlock(AddButton("Block", tr("Block caller"), &CNotifyDlg::blockRequested)),
      m_pAddContact(
          AddButton("AddContact", tr("Add to contacts"), &CNotifyDlg::addContactRequested)),
      m_pPermit(AddButton("Permit", tr("Always let through"), &CNotifyDlg::permitRequested)),
      m_slide(this, "pos") {
    setObjectName("NotifyDlg");
    // Not shown (no frame), but it names the window for the desktop's tools.
    setWindowTitle(tr("Incoming call"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    // A caller's name is shown as it came, never read as markup.
    m_pFirst->setTextFormat(Qt::PlainText);
    m_pSecond->setTextFormat(Qt::PlainText);
    QFont bold = m_pFirst->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.15);
    m_pFirst->setFont(bold);
    m_pFirst->setText(QString::fromUtf8(LoadStr(kStringIncomingCall)));

    m_pRecord->setIcon(RecordIcon());
    m_pRecord->setIconSize(QSize(32, 32));
    m_pRecord->setToolTip(tr("Record"));
    m_pRecord->setFocusPolicy(Qt::NoFocus);
    connect(m_pRecord, &QPushButton::clicked, this, [this] {
        End();
        emit recordRequested();
    });

    m_pAnswer->setIcon(MainIcon("answer", palette()));
    m_pAnswer->setToolTip(tr("Answer at the PC: talk through the computer's headset"));
    m_pBlock->setToolTip(tr("Put this number on the block list"));
    m_pAddContact->setToolTip(tr("Make a contact of this caller"));
    m_pPermit->setToolTip(tr("Put this number on the permit list"));

    auto* lines = new QVBoxLayout;
    lines->addWidget(m_pFirst);
    lines->addWidget(m_pSecond);
    lines->addStretch();
    lines->addWidget(m_pAnswer, 0, Qt::AlignLeft);
    auto* row = new QHBoxLayout;
    row->setSpacing(12);
    row->addWidget(m_pRecord, 0, Qt::AlignTop);
    row->addLayout(lines, 1);
    auto* list = new QHBoxLayout;
    list->setSpacing(6);
    for (QPushButton* b : {m_pBlock, m_pAddContact, m_pPermit})
        list->addWidget(b);
    auto* all = new QVBoxLayout(this);
    all->setContentsMargins(12, 12, 12, 12);
    all->setSpacing(8);
    all->addLayout(row, 1);
    all->addLayout(list);
    // Room for every button whether or not this call shows it.
    SetAnswer(true, true);
    SetListCommands(true);
    setFixedSize(QSize(300, 96).expandedTo(sizeHint()));
    SetAnswer(false, false);
    SetListCommands(false);

    m_closeTimer.setSingleShot(true);
    connect(&m_closeTimer, &QTimer::timeout, this, &CNotifyDlg::End);
    m_slide.setDuration(kSlideMs);
    m_slide.setEasingCurve(QEasingCurve::OutCubic);
}

void CNotifyDlg::SetLines(const QString& first, const QString& second) {
    m_pFirst->setText(first);
    m_pSecond->setText(second);
}

QString CNotifyDlg::FirstLine() const {
    return m_pFirst->text();
}

QString CNotifyDlg::SecondLine() const {
    return m_pSecond->text();
}

void CNotifyDlg::SetAnswer(bool bShown, bool bEnabled) {
    m_pAnswer->setVisible(bShown);
    m_pAnswer->setEnabled(bEnabled);
}

void CNotifyDlg::SetListCommands(bool bShown) {
    for (QPushButton* b : {m_pBlock, m_pAddContact, m_pPermit})
        b->setVisible(bShown);
}

QPushButton* CNotifyDlg::AddButton(const char* name, const QString& text,
                                   void (CNotifyDlg::*done)()) {
    auto* button = new QPushButton(text, this);
    button->setObjectName(name);
    button->setFocusPolicy(Qt::NoFocus);
    button->hide();
    connect(button, &QPushButton::clicked, this, [this, done] {
        End();
        emit(this->*done)();
    });
    return button;
}

void CNotifyDlg::ShowCall(int ms) {
    if (!IsCountingDown()) {
        const QRect available = ScreenForPopup()->availableGeometry();
        const QPoint target = PopupTopLeft(available, size());
        // It rises from the bottom edge of the available area into its corner.
        m_slide.stop();
        m_slide.setStartValue(QPoint(target.x(), target.y() + height()));
        m_slide.setEndValue(target);
        move(target.x(), target.y() + height());
        show();
        raise();
        m_slide.start();
        emit slideInStarted();
    }
    RestartCloseTimer(ms);
}

void CNotifyDlg::RestartCloseTimer(int ms) {
    if (isVisible())
        m_closeTimer.start(ms);
}

void CNotifyDlg::End() {
    m_closeTimer.stop();
    m_slide.stop();
    hide();
}

void CNotifyDlg::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    End();
    emit showMainRequested();
}

void CNotifyDlg::paintEvent(QPaintEvent*) {
    // Borderless: draw its own frame so it stands apart from what is behind.
    QPainter p(this);
    p.fillRect(rect(), palette().window());
    p.setPen(palette().color(QPalette::Highlight));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

#include "popup/NotifyDlg.h"

#include "main/MainIcons.h"
#include "popup/PopupPlacement.h"
#include "popup/RecordIcon.h"
#include "platform/Strings.h"

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
      m_pFirst(new QLabel(this)), m_pSecond(new QLabel(this)),
      m_pRecord(new QPushButton(this)), m_pAnswer(new QPushButton(this)), m_slide(this, "pos") {
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

    m_pAnswer->setObjectName("Answer");
    m_pAnswer->setText(tr("Answer"));
    m_pAnswer->setIcon(MainIcon("answer", palette()));
    m_pAnswer->setToolTip(tr("Answer at the PC: talk through the computer's headset"));
    m_pAnswer->setFocusPolicy(Qt::NoFocus);
    m_pAnswer->hide();
    connect(m_pAnswer, &QPushButton::clicked, this, [this] {
        End();
        emit answerRequested();
    });

    auto* lines = new QVBoxLayout;
    lines->addWidget(m_pFirst);
    lines->addWidget(m_pSecond);
    lines->addStretch();
    lines->addWidget(m_pAnswer, 0, Qt::AlignLeft);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    row->addWidget(m_pRecord, 0, Qt::AlignTop);
    row->addLayout(lines, 1);
    // Room for the answer button whether or not this line shows it.
    m_pAnswer->show();
    setFixedSize(QSize(300, 96).expandedTo(sizeHint()));
    m_pAnswer->hide();

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

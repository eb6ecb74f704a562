#include "popup/CallNotifier.h"

#include "app/ScreeningCommands.h"
#include "platform/Strings.h"
#include "popup/DesktopNotice.h"
#include "popup/NotifyDlg.h"

namespace {
constexpr int kStringIncomingCall = 57789;
} // namespace

CCallNotifier::Kind CCallNotifier::KindFor(const QString& platformName) {
    return platformName.startsWith("wayland") ? Kind::DesktopNotice : Kind::PopupWindow;
}

CCallNotifier::CCallNotifier(Kind kind, QObject* parent) : QObject(parent), m_kind(kind) {
    if (kind == Kind::PopupWindow) {
        MakePopup();
        return;
    }
    m_pNotice = std::make_unique<CDesktopNotice>();
    connect(m_pNotice.get(), &CDesktopNotice::showMainRequested, this,
            &CCallNotifier::showMainRequested);
    connect(m_pNotice.get(), &CDesktopNotice::recordRequested, this,
            &CCallNotifier::recordRequested);
    connect(m_pNotice.get(), &CDesktopNotice::answerRequested, this,
            &CCallNotifier::answerRequested);
    ForwardListCommands(m_pNotice.get());
    connect(m_pNotice.get(), &CDesktopNotice::failed, this, [this](const QString& error) {
        // A call must not go unannounced: the pop-up window, even where it
        // cannot be placed, rather than nothing.
        qWarning("The desktop's notification service failed (%s); showing the pop-up "
                 "window instead.",
                 qPrintable(error));
        if (!m_pPopup) {
            MakePopup();
            ShowCall(CNotifyDlg::kCloseMs);
        }
    });
}

void CCallNotifier::MakePopup() {
    m_pPopup = std::make_unique<CNotifyDlg>();
    connect(m_pPopup.get(), &CNotifyDlg::showMainRequested, this,
            &CCallNotifier::showMainRequested);
    connect(m_pPopup.get(), &CNotifyDlg::recordRequested, this, &CCallNotifier::recordRequested);
    connect(m_pPopup.get(), &CNotifyDlg::answerRequested, this, &CCallNotifier::answerRequested);
    ForwardListCommands(m_pPopup.get());
}

template <class Source>
void CCallNotifier::ForwardListCommands(Source* source) {
    connect(source, &Source::blockRequested, this, [this] { emit blockRequested(m_sNumber); });
    connect(source, &Source::addContactRequested, this,
            [this] { emit addContactRequested(m_sNumber, m_sName); });
    connect(source, &Source::permitRequested, this, [this] { emit permitRequested(m_sNumber); });
}

void CCallNotifier::ShowNotice(int ms) {
    m_pNotice->Show(FirstLine(), m_sNumber, ms, m_bAnswer && m_bAnswerEnabled, m_bList);
}

CCallNotifier::~CCallNotifier() = default;

QString CCallNotifier::FirstLine() const {
    return m_sName.isEmpty() ? QString::fromUtf8(LoadStr(kStringIncomingCall)) : m_sName;
}

void CCallNotifier::SetCaller(const QString& name, const QString& number) {
    m_sName = name;
    m_sNumber = number;
    m_bList = OffersListCommands(number.toStdString());
    if (m_pPopup) {
        m_pPopup->SetLines(FirstLine(), m_sNumber);
        m_pPopup->SetListCommands(m_bList);
    }
    // A notice that is up shows the caller once known. A notification's
    // text can only be replaced whole, which starts its display time again.
    else if (m_pNotice->Id() != 0)
        ShowNotice(CNotifyDlg::kCloseMs);
}

void CCallNotifier::SetAnswer(bool bShown, bool bEnabled) {
    m_bAnswer = bShown;
    m_bAnswerEnabled = bEnabled;
    if (m_pPopup)
        m_pPopup->SetAnswer(bShown, bEnabled);
}

void CCallNotifier::ShowCall(int ms) {
    if (m_pPopup) {
        m_pPopup->SetAnswer(m_bAnswer, m_bAnswerEnabled);
        m_pPopup->SetLines(FirstLine(), m_sNumber);
        m_pPopup->SetListCommands(m_bList);
        m_pPopup->ShowCall(ms);
        return;
    }
    ShowNotice(ms);
}

void CCallNotifier::RestartCloseTimer(int ms) {
    if (m_pPopup)
        m_pPopup->RestartCloseTimer(ms);
    else if (m_pNotice->Id() != 0)
        ShowNotice(ms);
}

void CCallNotifier::Close() {
    if (m_pPopup)
        m_pPopup->End();
    else
        m_pNotice->Close();
}

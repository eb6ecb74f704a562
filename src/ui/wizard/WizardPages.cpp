#include "wizard/WizardPages.h"

#include "app/HelpManual.h"

#include "dialogs/LineListing.h"
#include "engine/SetupChoice.h"
#include "frontend/MessageBoxes.h"
#include "platform/Strings.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {

QString S(int id) {
    return QString::fromUtf8(LoadStr(id));
}

QLabel* Text(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// The manual's page on the ways of reaching the line.
constexpr const char* kDifferenceTopic = "faq/tapivscom.html";

// Marked for the translation template; the page translates them.
struct KindChoice {
    int nKind;
    const char* label;
    const char* description;
};

constexpr KindChoice kKinds[] = {
    {kKindSerialModem, QT_TRANSLATE_NOOP("CMyPropertyPage01", "Access &serial port directly"),
     QT_TRANSLATE_NOOP("CMyPropertyPage01",
                       "Vorella talks to your voice modem itself with AT commands, on a serial "
                       "port or as a USB modem (/dev/ttyS*, /dev/ttyACM*, /dev/ttyUSB*). The "
                       "choice for most voice modems.")},
    {kKindTelephonyLine, QT_TRANSLATE_NOOP("CMyPropertyPage01", "Access the modem through &TAPI"),
     QT_TRANSLATE_NOOP(
         "CMyPropertyPage01",
         "The system's telephony layer drives the device and Vorella uses one of its lines.")},
    {kKindUsbAdapter, QT_TRANSLATE_NOOP("CMyPropertyPage01", "Use a &USB telephone adapter"),
     QT_TRANSLATE_NOOP("CMyPropertyPage01", "A USB telephone adapter between your telephone and "
                                            "the line, driven by its own control.")},
    {kKindExtension,
     QT_TRANSLATE_NOOP("CMyPropertyPage01", "Use a Com&vurgent telephony extension"),
     QT_TRANSLATE_NOOP(
         "CMyPropertyPage01",
         "A Comvurgent telephony device, used through the telephony layer like a line.")},
};

} // namespace

CMyPropertyPage0::CMyPropertyPage0(QWidget* parent) : QWizardPage(parent) {
    setTitle(S(108));
    setSubTitle(S(111));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text(tr("This wizard sets up how Vorella reaches your telephone line: a "
                              "voice modem on a serial or USB port, a line of the telephony "
                              "layer, or a USB telephone adapter.\n\n"
                              "At the end Vorella restarts with the new settings."),
                           this));
    layout->addStretch();
    layout->addWidget(Text(tr("Click Next when you are ready to continue."), this));
}

CMyPropertyPage1::CMyPropertyPage1(QWidget* parent) : QWizardPage(parent) {
    setTitle(S(112));
    setSubTitle(S(113));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Text(tr("Vorella can ask your modem which model it is and choose the "
                              "matching settings for you. Before you go on:\n\n"
                              "\u2022 turn the modem on and connect it to the computer and to "
                              "the telephone line;\n"
                              "\u2022 quit every program that uses the modem, such as a fax or "
                              "dial-up program."),
                           this));
    layout->addStretch();
    m_pSkip = new QCheckBox(tr("&Don't detect my modem; I will select it from a list."), this);
    layout->addWidget(m_pSkip);
}

bool CMyPropertyPage1::SkipDetection() const {
    return m_pSkip->isChecked();
}

CMyPropertyPage01::CMyPropertyPage01(int nKind, QWidget* parent) : QWizardPage(parent) {
    setTitle(S(114));
    setSubTitle(S(115));
    auto* layout = new QVBoxLayout(this);
    m_pKinds = new QButtonGroup(this);
    for (const KindChoice& k : kKinds) {
        auto* button = new QRadioButton(tr(k.label), this);
        m_pKinds->addButton(button, k.nKind);
        layout->addWidget(button);
        QLabel* description = Text(tr(k.description), this);
        description->setContentsMargins(24, 0, 0, 6);
        description->setBuddy(button);
        layout->addWidget(description);
    }
    layout->addStretch();
    m_pLink = new QLabel(QStringLiteral("<a href=\"difference\">%1</a>")
                             .arg(tr("What's the difference?").toHtmlEscaped()),
                         this);
    m_pLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_pLink, &QLabel::linkActivated, this, &CMyPropertyPage01::OpenDifference);
    layout->addWidget(m_pLink);
    SetKind(nKind);
}

int CMyPropertyPage01::Kind() const {
    const int id = m_pKinds->checkedId();
    return id < 0 ? kKindSerialModem : id;
}

void CMyPropertyPage01::SetKind(int nKind) {
    if (QAbstractButton* b = m_pKinds->button(nKind))
        b->setChecked(true);
    else
        m_pKinds->button(kKindSerialModem)->setChecked(true);
}

void CMyPropertyPage01::OpenDifference() {
    const std::string problem = OpenManualPage(kDifferenceTopic);
    if (!problem.empty())
        OpenMessageBox(this, problem, MessageIcon::Information);
}

CMyPropertyPage02::CMyPropertyPage02(int nLine, const CTapiProviders* pProviders, QWidget* parent)
    : QWizardPage(parent), m_nLine(nLine) {
    setTitle(S(118));
    setSubTitle(S(119));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        Text(tr("The phone line is a device of the system's telephony layer that represents "
                "your modem."),
             this));
    auto* label = new QLabel(tr("&Line:"), this);
    m_pLine = new QComboBox(this);
    label->setBuddy(m_pLine);
    layout->addWidget(label);
    layout->addWidget(m_pLine);
    m_pNone = Text(QString(), this);
    layout->addWidget(m_pNone);
    layout->addStretch();
    m_pListing = new CLineListing(pProviders, m_pLine, m_pNone, this);
}

void CMyPropertyPage02::initializePage() {
    // With no line the page says why, and Next still leads on, to be set
    // up later.
    m_pListing->Start(m_nLine);
}

int CMyPropertyPage02::Line() const {
    return m_pListing->ChosenLine(m_nLine);
}

CMyPropertyPage3::CMyPropertyPage3(QWidget* parent) : QWizardPage(parent) {
    setTitle(S(120));
    setSubTitle(S(121));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(
        Text(tr("You have successfully installed the program! Press 'Finish' to start using "
                "Vorella."),
             this));
    layout->addStretch();
    layout->addWidget(
        Text(tr("If your modem misses commands or cuts recordings short, turn on the "
                "compatibility mode in the options: Vorella then gives the modem a pause after "
                "each command and after it stops playing or recording, as slower modems need."),
             this));
}

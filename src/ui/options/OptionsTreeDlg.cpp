#include "options/OptionsTreeDlg.h"

#include "app/Brand.h"
#include "frontend/MessageBoxes.h"
#include "options/AdvancedPage.h"
#include "options/DevicePage.h"
#include "options/EmailPage.h"
#include "options/EventsPage.h"
#include "options/GeneralPage.h"
#include "options/ScreeningPage.h"
#include "options/SoundsPage.h"
#include "options/SpeechPage.h"
#include "options/WebPage.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {
std::string Lines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines)
        text += (text.empty() ? "" : "\n\n") + l;
    return text;
}

// A page's scroll area asks for the whole page and a scroll bar beside it
// (QScrollArea's own hint is a few lines at most); the dialog bounds that
// by the screen.
class CPageScroller : public QScrollArea {
public:
    explicit CPageScroller(QWidget* parent) : QScrollArea(parent) {
        setWidgetResizable(true);
        setFrameShape(QFrame::NoFrame);
    }
    QSize sizeHint() const override {
        if (!widget())
            return QScrollArea::sizeHint();
        const QSize page = widget()->sizeHint();
        return {page.width() + verticalScrollBar()->sizeHint().width(), page.height()};
    }
};
} // namespace

COptionsTreeDlg::COptionsTreeDlg(const OptionsValues& values, ISoundBackend& backend,
                                 IGreetingLine* pLine, const CTapiProviders* pProviders,
                                 QWidget* parent)
    : QDialog(parent), m_before(values), m_values(values) {
    QString name = QString::fromStdString(AppBrand().sTitle);
    if (name.isEmpty())
        name = QStringLiteral("Vorella");
    setWindowTitle(tr("%1 Options - version %2").arg(name, QStringLiteral(VORELLA_VERSION)));
    setModal(true);

    m_pList = new QListWidget(this);
    m_pStack = new QStackedWidget(this);
    m_pGeneral = new CGeneralPage(this);
    m_pAdvanced = new CAdvancedPage(this);
    m_pEmail = new CEmailPage(this);
    m_pDevice = new CDevicePage(pProviders, this);
    m_pSounds = new CSoundsPage(backend, pLine, this);
    m_pScreening = new CScreeningPage(this);
    m_pSpeech = new CSpeechPage(this);
    m_pEvents = new CEventsPage(this);
    m_pWeb = new CWebPage(this);
    AddPage(tr("General"), m_pGeneral);
    AddPage(tr("Advanced"), m_pAdvanced);
    AddPage(tr("E-Mail"), m_pEmail);
    AddPage(tr("Telephone Device"), m_pDevice);
    AddPage(tr("Sounds"), m_pSounds);
    AddPage(tr("Screening"), m_pScreening);
    AddPage(tr("Speech"), m_pSpeech);
    AddPage(tr("Events"), m_pEvents);
    AddPage(tr("Web Page"), m_pWeb);
    // What forwarding does follows the device kind chosen (its index).
    connect(m_pDevice->KindBox(), &QComboBox::currentIndexChanged, m_pEvents,
            &CEventsPage::SetDeviceKind);
    m_pList->setFixedWidth(m_pList->sizeHintForColumn(0) + 24);
    connect(m_pList, &QListWidget::currentRowChanged, m_pStack, &QStackedWidget::setCurrentIndex);
    m_pList->setCurrentRow(0);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &COptionsTreeDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &COptionsTreeDlg::reject);

    auto* body = new QHBoxLayout;
    body->addWidget(m_pList);
    body->addWidget(m_pStack, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addWidget(buttons);
    FitScreen();
}

void COptionsTreeDlg::AddPage(const QString& text, COptionsPage* page) {
    page->Load(m_values);
    m_pList->addItem(text);
    auto* scroller = new CPageScroller(m_pStack);
    scroller->setWidget(page);
    m_pStack->addWidget(scroller);
    m_pages.push_back(page);
}

COptionsPage* COptionsTreeDlg::CurrentPage() const {
    const int nPage = m_pStack->currentIndex();
    return nPage < 0 ? nullptr : m_pages[static_cast<size_t>(nPage)];
}

void COptionsTreeDlg::FitScreen() {
    QWidget* parent = parentWidget();
    const QRect free = (parent ? parent->screen() : screen())->availableGeometry();
    // A tenth is left for the window's frame and the panels' margins.
    resize(sizeHint().boundedTo(free.size() * 9 / 10));
}

void COptionsTreeDlg::accept() {
    OptionsValues chosen = m_before;
    for (COptionsPage* page : m_pages)
        page->Save(chosen);
    const OptionsCheck check = CheckOptions(chosen, m_before);
    if (!check.errors.empty()) {
        OpenMessageBox(this, Lines(check.errors));
        return;
    }
    if (!check.warnings.empty())
        OpenMessageBox(parentWidget(), Lines(check.warnings), MessageIcon::Information);
    m_values = chosen;
    QDialog::accept();
}

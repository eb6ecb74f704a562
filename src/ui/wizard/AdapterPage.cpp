#include "wizard/AdapterPage.h"

#include "app/AdapterChoices.h"
#include "dialogs/AdapterFields.h"

#include <QLabel>
#include <QVBoxLayout>

CAdapterPage::CAdapterPage(ISoundBackend& backend, const std::string& soundCard,
                           const std::string& input, QWidget* parent)
    : QWizardPage(parent), m_sSoundCard(soundCard), m_sInput(input) {
    setTitle(tr("USB Telephone Adapter"));
    setSubTitle(tr("Which sound card and input device belong to the adapter?"));
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(tr("The adapter appears to the computer as a sound card, which "
                               "carries the line's sound, and often as an input device, which "
                               "reports the ring, the local phone's handset and its keypad."),
                            this);
    text->setWordWrap(true);
    layout->addWidget(text);
    m_pFields = new CAdapterFields(backend, this);
    layout->addWidget(m_pFields);
    // Finish is not refused for these (the adapter may be plugged in
    // later), but the user learns before the restart why it would not open.
    m_pProblems = new QLabel(this);
    m_pProblems->setWordWrap(true);
    m_pProblems->setTextFormat(Qt::PlainText);
    layout->addWidget(m_pProblems);
    layout->addStretch();
    connect(m_pFields, &CAdapterFields::Changed, this, &CAdapterPage::UpdateProblems);
}

void CAdapterPage::UpdateProblems() {
    std::string text;
    for (const std::string& p :
         AdapterChoiceWarnings(m_pFields->Backend(), m_pFields->SoundCard(), m_pFields->Input()))
        text += (text.empty() ? "" : "\n") + p;
    m_pProblems->setText(QString::fromStdString(text));
}

void CAdapterPage::initializePage() {
    if (m_bShown) {
        m_sSoundCard = m_pFields->SoundCard();
        m_sInput = m_pFields->Input();
    }
    m_bShown = true;
    m_pFields->Load(m_sSoundCard, m_sInput);
    UpdateProblems();
}

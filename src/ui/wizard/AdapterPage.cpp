#include "wizard/AdapterPage.h"

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
    layout->addStretch();
}

void CAdapterPage::initializePage() {
    if (m_bShown) {
        m_sSoundCard = m_pFields->SoundCard();
        m_sInput = m_pFields->Input();
    }
    m_bShown = true;
    m_pFields->Load(m_sSoundCard, m_sInput);
}

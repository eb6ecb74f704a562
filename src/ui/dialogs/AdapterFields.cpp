#include "dialogs/AdapterFields.h"

#include "app/AdapterChoices.h"
#include "app/HelpManual.h"
#include "frontend/MessageBoxes.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

#include <algorithm>

namespace {

constexpr const char* kAdapterManualPage = "adapter.html";

void Fill(QComboBox* box, const std::vector<AdapterChoice>& choices, const std::string& current) {
    box->clear();
    for (const AdapterChoice& c : choices)
        box->addItem(QString::fromStdString(c.sText), QString::fromStdString(c.sValue));
    box->setCurrentIndex(std::max(0, box->findData(QString::fromStdString(current))));
}

std::string Chosen(const QComboBox* box) {
    return box->currentData().toString().toStdString();
}

} // namespace

CAdapterFields::CAdapterFields(ISoundBackend& backend, QWidget* parent)
    : QWidget(parent), m_backend(backend) {
    m_pCard = new QComboBox(this);
    m_pInput = new QComboBox(this);
    m_pNote = new QLabel(this);
    m_pNote->setWordWrap(true);
    m_pNote->setTextFormat(Qt::PlainText);
    auto* form = new QFormLayout(this);
    form->setContentsMargins(0, 0, 0, 0);
    form->addRow(tr("Adapter's &sound card:"), m_pCard);
    form->addRow(tr("Adapter's &input device:"), m_pInput);
    form->addRow(m_pNote);
    auto* link = new QLabel(QStringLiteral("<a href=\"adapter\">%1</a>")
                                .arg(tr("About the USB telephone adapter").toHtmlEscaped()),
                            this);
    link->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(link, &QLabel::linkActivated, this, [this] {
        if (const std::string problem = OpenManualPage(kAdapterManualPage); !problem.empty())
            OpenMessageBox(this, problem, MessageIcon::Information);
    });
    form->addRow(link);
    connect(m_pInput, &QComboBox::currentIndexChanged, this, &CAdapterFields::UpdateNote);
    connect(m_pInput, &QComboBox::currentIndexChanged, this, &CAdapterFields::Changed);
    connect(m_pCard, &QComboBox::currentIndexChanged, this, &CAdapterFields::Changed);
}

void CAdapterFields::Load(const std::string& soundCard, const std::string& input) {
    Fill(m_pCard, AdapterSoundCardChoices(m_backend, soundCard), soundCard);
    Fill(m_pInput, AdapterInputChoices(ListAdapterInputs(), input), input);
    UpdateNote();
}

std::string CAdapterFields::SoundCard() const {
    return Chosen(m_pCard);
}

std::string CAdapterFields::Input() const {
    return Chosen(m_pInput);
}

void CAdapterFields::UpdateNote() {
    std::string text = AdapterInputNote(Input());
    if (const std::string simulated = AdapterSimulatedNote(); !simulated.empty())
        text += "\n\n" + simulated;
    m_pNote->setText(QString::fromStdString(text));
}

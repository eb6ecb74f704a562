#include "options/OptionsPage.h"

#include <QLabel>
#include <QVBoxLayout>

namespace {
QLabel* Heading(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    return label;
}
} // namespace

COptionsPage::COptionsPage(const QString& heading, QWidget* parent) : QWidget(parent) {
    m_pBody = new QVBoxLayout(this);
    m_pBody->setContentsMargins(0, 0, 0, 0);
    m_pBody->addWidget(Heading(heading, this));
}

QLabel* COptionsPage::AddHeading(const QString& text) {
    QLabel* label = Heading(text, this);
    m_pBody->addSpacing(8);
    m_pBody->addWidget(label);
    return label;
}

#include "dialogs/AboutBox.h"

#include "app/Brand.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>
#include <QVBoxLayout>

CAboutBox::CAboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    const BrandInfo& brand = AppBrand();
    const QString name = QString::fromStdString(brand.sTitle.empty() ? "Vorella" : brand.sTitle);
    setWindowTitle(tr("About %1").arg(name));

    auto* title = new QLabel(tr("%1 %2").arg(name, QStringLiteral(VORELLA_VERSION)), this);
    QFont big = title->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    title->setFont(big);

    QStringList lines{tr("Telephone call recorder and answering machine")};
    if (!brand.sCopy.empty())
        lines << QString::fromStdString(brand.sCopy);
    if (!brand.sWeb.empty())
        lines << QString::fromStdString(brand.sWeb);
    auto* body = new QLabel(lines.join('\n'), this);
    body->setTextFormat(Qt::PlainText);
    body->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sText = title->text() + '\n' + body->text();

    auto* icon = new QLabel(this);
    icon->setPixmap(QApplication::windowIcon().pixmap(48, 48));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(title);
    text->addWidget(body);
    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addLayout(text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString CAboutBox::Text() const {
    return m_sText;
}

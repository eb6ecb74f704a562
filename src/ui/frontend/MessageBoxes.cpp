#include "frontend/MessageBoxes.h"

#include "app/Brand.h"

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information:
        return QMessageBox::Information;
    case MessageIcon::Question:
        return QMessageBox::Question;
    case MessageIcon::Error:
        return QMessageBox::Critical;
    case MessageIcon::None:
    case MessageIcon::Exclamation:
        break;
    }
    return QMessageBox::Warning;
}

namespace {
QMessageBox* MakeBox(QWidget* parent, const std::string& text, MessageIcon icon) {
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(QString::fromStdString(AppBrand().sTitle));
    box->setTextFormat(Qt::PlainText);
    box->setText(QString::fromStdString(text));
    box->setIcon(BoxIcon(icon));
    return box;
}
} // namespace

QMessageBox* OpenMessageBox(QWidget* parent, const std::string& text, MessageIcon icon) {
    QMessageBox* box = MakeBox(parent, text, icon);
    box->setStandardButtons(QMessageBox::Ok);
    box->open();
    return box;
}

QMessageBox* OpenYesNoBox(QWidget* parent, const std::string& text, bool bDefaultYes,
                          std::function<void(bool)> onAnswer, MessageIcon icon) {
    QMessageBox* box = MakeBox(parent, text, icon);
    box->setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    const QMessageBox::StandardButton def = bDefaultYes ? QMessageBox::Yes : QMessageBox::No;
    box->setDefaultButton(def);
    box->setEscapeButton(def);
    QObject::connect(box, &QMessageBox::finished, box,
                     [box, bDefaultYes, onAnswer = std::move(onAnswer)] {
                         QAbstractButton* clicked = box->clickedButton();
                         const bool bYes = clicked ? box->standardButton(clicked) ==
                                                         QMessageBox::Yes
                                                   : bDefaultYes;
                         if (onAnswer)
                             onAnswer(bYes);
                     });
    box->open();
    return box;
}

// The message boxes the program has open, as a user sees them, for the
// desktop program's tests, whose texts they match with gmock's matchers.
#pragma once

#include <QApplication>
#include <QMessageBox>

#include <gmock/gmock.h>
#include <string>

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::StartsWith;

// The first visible message box (one with the given button), or null.
inline QMessageBox* OpenBox(QMessageBox::StandardButton button = QMessageBox::NoButton) {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w);
            box && box->isVisible() && (button == QMessageBox::NoButton || box->button(button)))
            return box;
    return nullptr;
}

inline void CloseBoxes() {
    while (QMessageBox* box = OpenBox())
        box->close();
}

// The text of the open message box, which is then closed; "" when none is.
inline std::string TakeBoxText() {
    QMessageBox* box = OpenBox();
    const std::string text = box ? box->text().toStdString() : "";
    CloseBoxes();
    return text;
}

// The message boxes the program has open, as a user sees them, for the
// desktop program's tests.
#pragma once

#include <QApplication>
#include <QMessageBox>

// The first visible message box, or null.
inline QMessageBox* OpenBox() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

inline void CloseBoxes() {
    while (QMessageBox* box = OpenBox())
        box->close();
}

#include "popup/PopupPlacement.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>

QPoint PopupTopLeft(const QRect& available, const QSize& size) {
    return {available.x() + available.width() - size.width(),
            available.y() + available.height() - size.height()};
}

QScreen* ScreenForPopup() {
    if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    return QGuiApplication::primaryScreen();
}

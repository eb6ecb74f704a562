// Where the incoming-call pop-up goes: its bottom-right corner on the
// bottom-right corner of the available area (the screen without its panels)
// of the screen the user works on, its size unchanged.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;

QPoint PopupTopLeft(const QRect& available, const QSize& size);
// The screen under the mouse pointer, else the primary one.
QScreen* ScreenForPopup();

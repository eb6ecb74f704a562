#include "popup/RecordIcon.h"

#include <QApplication>
#include <QPainter>
#include <QPalette>
#include <QPixmap>

QIcon RecordIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        const qreal ring = size / 16.0;
        p.setPen(QPen(QApplication::palette().color(QPalette::WindowText), ring));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QRectF(ring, ring, size - 2 * ring, size - 2 * ring));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xd0, 0x20, 0x20));
        const qreal inset = size * 0.25;
        p.drawEllipse(QRectF(inset, inset, size - 2 * inset, size - 2 * inset));
        icon.addPixmap(pixmap);
    }
    return icon;
}

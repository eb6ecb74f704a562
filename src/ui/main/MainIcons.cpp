#include "main/MainIcons.h"

#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>

// The resource file lives in a static library: nothing would pull its
// object file in without this reference.
static void LoadMainResources() {
    Q_INIT_RESOURCE(main);
}

QIcon MainIcon(const QString& name, const QPalette& palette) {
    static const bool loaded = (LoadMainResources(), true);
    (void)loaded;
    QFile file(":/main/" + name + ".svg");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = file.readAll();
    const auto paint = [&](QPalette::ColorGroup group) {
        QByteArray colored = svg;
        colored.replace("currentColor",
                        palette.color(group, QPalette::WindowText).name().toLatin1());
        return colored;
    };
    QIcon icon;
    const struct {
        QPalette::ColorGroup group;
        QIcon::Mode mode;
    } kModes[] = {{QPalette::Active, QIcon::Normal}, {QPalette::Disabled, QIcon::Disabled}};
    for (const auto& m : kModes) {
        QSvgRenderer renderer(paint(m.group));
        for (int size : {16, 22, 24, 32, 48, 64}) {
            QPixmap pixmap(size, size);
            pixmap.fill(Qt::transparent);
            QPainter painter(&pixmap);
            renderer.render(&painter);
            painter.end();
            icon.addPixmap(pixmap, m.mode);
        }
    }
    return icon;
}

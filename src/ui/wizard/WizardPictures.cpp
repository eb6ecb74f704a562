#include "wizard/WizardPictures.h"

#include <QFile>
#include <QPainter>
#include <QSvgRenderer>

// The resource file lives in a static library: nothing would pull its
// object file in without this reference.
static void LoadWizardResources() {
    Q_INIT_RESOURCE(wizard);
}

namespace {

// "currentColor" is the text colour, "accentColor" the highlight colour.
QPixmap Render(const QString& name, const QPalette& palette, QSize size) {
    static const bool loaded = (LoadWizardResources(), true);
    (void)loaded;
    QFile file(":/wizard/" + name + ".svg");
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray svg = file.readAll();
    svg.replace("currentColor", palette.color(QPalette::WindowText).name().toLatin1());
    svg.replace("accentColor", palette.color(QPalette::Highlight).name().toLatin1());
    QSvgRenderer renderer(svg);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    return pixmap;
}

} // namespace

QPixmap WizardHeaderPixmap(const QPalette& palette) {
    return Render("header", palette, QSize(48, 48));
}

QPixmap WizardWatermarkPixmap(const QPalette& palette) {
    return Render("watermark", palette, QSize(164, 314));
}

// The set-up wizard's header logo and watermark, drawn from their SVG in
// the colours of the palette (dark and light desktops alike).
#pragma once

#include <QPalette>
#include <QPixmap>

QPixmap WizardHeaderPixmap(const QPalette& palette);
QPixmap WizardWatermarkPixmap(const QPalette& palette);

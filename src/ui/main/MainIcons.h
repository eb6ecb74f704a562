// The main window's pictures: SVG drawn in the palette's text colour, so
// they read on a light and on a dark desktop alike and stay sharp at any
// scale.
#pragma once

#include <QIcon>
#include <QPalette>

// name: the file in icons/ without ".svg" ("record", "play" ...).
QIcon MainIcon(const QString& name, const QPalette& palette);

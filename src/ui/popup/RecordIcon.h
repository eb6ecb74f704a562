// The record picture: a red dot in a ring, drawn at any size and following
// the palette's text colour for the ring.
#pragma once

#include <QIcon>

QIcon RecordIcon();

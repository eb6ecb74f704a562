// The tray pictures, drawn as SVG and compiled in, by their resource ids.
#pragma once

#include <QIcon>
#include <QString>

// The SVG of a picture id (":/tray/..."); the idle picture for an unknown id.
QString TrayPictureFile(int nPicture);
// The icon of a picture id, rendered at the sizes panels ask for.
QIcon TrayPictureIcon(int nPicture);

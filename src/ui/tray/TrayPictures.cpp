#include "ui/tray/TrayPictures.h"

#include "app/TrayLogic.h"

namespace {
struct PictureFile {
    int nPicture;
    const char* file;
};
constexpr PictureFile kFiles[] = {
    {kTrayPicBlank, ":/tray/tray-blank.svg"},
    {kTrayPicCreated, ":/tray/tray-created.svg"},
    {kTrayPicIdle, ":/tray/tray-idle.svg"},
    {kTrayPicPaused, ":/tray/tray-paused.svg"},
    {kTrayPicPlaying, ":/tray/tray-playing.svg"},
    {kTrayPicRecording, ":/tray/tray-recording.svg"},
};
} // namespace

// The resource file lives in a static library: nothing would pull its
// object file in without this reference.
static void LoadTrayResources() {
    Q_INIT_RESOURCE(tray);
}

QString TrayPictureFile(int nPicture) {
    static const bool loaded = (LoadTrayResources(), true);
    (void)loaded;
    for (const PictureFile& f : kFiles)
        if (f.nPicture == nPicture)
            return QString::fromLatin1(f.file);
    return TrayPictureFile(kTrayPicIdle);
}

QIcon TrayPictureIcon(int nPicture) {
    // The SVG icon engine renders each size the panel asks for afresh, so
    // the pictures stay sharp at 16, 22 and 24 px and on high-DPI panels.
    return QIcon(TrayPictureFile(nPicture));
}

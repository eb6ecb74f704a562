#include "dialogs/WaveFilter.h"

#include "platform/Strings.h"

#include <QStringList>

namespace {
constexpr int kStrWaveFilter = 57991;
} // namespace

// "Wave audio (*.wav)|*.wav|All Files (*.*)|*.*||" as a file dialog's
// filter: the descriptions carry their patterns already.
QString WaveFileFilter() {
    const QStringList parts = QString::fromStdString(LoadStr(kStrWaveFilter)).split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
        if (!parts[i].isEmpty())
            filters << parts[i];
    return filters.join(";;");
}

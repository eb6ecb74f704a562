#include "app/TelephonyLines.h"

#include "engine/TelephonyLineDevice.h"
#include "platform/Strings.h"
#include "tapi/MyLine.h"

namespace {
constexpr int kStrNoTapiDevices = 57974;
} // namespace

TelephonyLineList ListTelephonyLines() {
    TelephonyLineList list;
    std::unique_ptr<ITapiProvider> provider = MakeTapiProvider();
    if (!provider) {
        list.sMessage = LoadStr(kStrNoTapiDevices);
        return list;
    }
    // No engine listens: nothing is opened, so no event is posted.
    CMyTapi tapi(*provider, {});
    if (!tapi.Start()) {
        list.sMessage = tapi.StatusText();
        return list;
    }
    for (const CMyTapi::LineEntry& line : tapi.ListLines(&list.sMessage))
        list.lines.push_back({line.dwDeviceID, line.sName});
    tapi.Stop();
    return list;
}

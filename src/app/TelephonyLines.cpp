#include "app/TelephonyLines.h"

#include "engine/TelephonyLineDevice.h"
#include "platform/Strings.h"
#include "tapi/MyLine.h"

namespace {

constexpr int kStrNoTapiDevices = 57974;

void ListFrom(CMyTapi& tapi, TelephonyLineList* pList) {
    for (const CMyTapi::LineEntry& line : tapi.ListLines(&pList->sMessage))
        pList->lines.push_back({line.dwDeviceID, line.sName});
}

// No line device runs: a provider of the listing's own, started and
// stopped again. Nothing is opened, so nothing is bound and no event is
// posted.
void ListFromOwnProvider(const CTapiProviders* pProviders, TelephonyLineList* pList) {
    std::unique_ptr<ITapiProvider> provider = pProviders ? pProviders->Make() : nullptr;
    if (!provider) {
        pList->sMessage = LoadStr(kStrNoTapiDevices);
        return;
    }
    CMyTapi tapi(*provider, {});
    if (!tapi.Start()) {
        pList->sMessage = tapi.StatusText();
        return;
    }
    ListFrom(tapi, pList);
    tapi.Stop();
}

} // namespace

TelephonyLineList ListTelephonyLines(const CTapiProviders* pProviders) {
    TelephonyLineList list;
    WithRunningTelephonyLayer([&list, pProviders](CMyTapi* running) {
        if (running)
            ListFrom(*running, &list);
        else
            ListFromOwnProvider(pProviders, &list);
    });
    return list;
}

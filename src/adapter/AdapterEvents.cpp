#include "adapter/AdapterEvents.h"

#include "adapter/AdapterDeviceLayer.h"

#include <string_view>

namespace {

struct EventRow {
    int nFirst;
    int nLast;
    AdapterEventAction action;
};

constexpr EventRow kEvents[] = {
    {kAdEvKey, kAdEvKey, AdapterEventAction::Key},
    {kAdEvPulseDigit, kAdEvPulseDigit, AdapterEventAction::None},
    {kAdEvKeyEnd, kAdEvKeyEnd, AdapterEventAction::None},
    {kAdEvFlash, kAdEvFlash, AdapterEventAction::None},
    {kAdEvLocalOnHook, kAdEvLocalOnHook, AdapterEventAction::LocalOnHook},
    {kAdEvLocalOffHook, kAdEvLocalOffHook, AdapterEventAction::LocalOffHook},
    {kAdEvHeadsetFirst, kAdEvHeadsetLast, AdapterEventAction::None},
    {kAdEvDialTone, kAdEvDialTone, AdapterEventAction::DialTone},
    {kAdEvStutterTone, kAdEvStutterTone, AdapterEventAction::None},
    {kAdEvTimeOut, kAdEvTimeOut, AdapterEventAction::None},
    {kAdEvBusy, kAdEvBusy, AdapterEventAction::Busy},
    {kAdEvVoiceEnergy, kAdEvFaxTone - 1, AdapterEventAction::None},
    {kAdEvFaxTone, kAdEvFaxTone, AdapterEventAction::FaxTone},
    {kAdEvFaxTone + 1, kAdEvReorderTone, AdapterEventAction::None},
    {kAdEvIncomingCall, kAdEvIncomingCall, AdapterEventAction::Ring},
    {kAdEvReset, kAdEvReset, AdapterEventAction::None},
};

} // namespace

AdapterEventAction AdapterEventActionOf(int code) {
    for (const EventRow& row : kEvents) {
        if (code >= row.nFirst && code <= row.nLast)
            return row.action;
    }
    return AdapterEventAction::Unknown;
}

namespace {
// A key event's parameter indexes this.
constexpr std::string_view kKeys = "0123456789ABCD*#";
} // namespace

char AdapterKeyChar(int param) {
    // Keys A-D are keys in their own right (the worker has an action for
    // each); writing their parameter in decimal would make all four "1".
    if (param < 0 || param >= static_cast<int>(kKeys.size()))
        return 0;
    return kKeys[static_cast<size_t>(param)];
}

int AdapterKeyParam(char key) {
    size_t at = key == 0 ? std::string_view::npos : kKeys.find(key);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

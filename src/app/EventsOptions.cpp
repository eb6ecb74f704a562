#include "app/EventsOptions.h"

#include "config/Settings.h"
#include "engine/SetupChoice.h"
#include "engine/TelephoneDevice.h"
#include "mqtt/MqttPublishOnce.h"
#include "platform/JsonText.h"

namespace {

constexpr const char* kSampleNumber = "5551234";
constexpr const char* kSampleName = "John Doe";

} // namespace

CallProgramValues CallProgramValues::From(const CPhoneSettings& s) {
    return {s.bRunProg,  s.sRunApp,     s.sRunParam,       s.bRunPause,
            s.bRunAfter, s.bRunNotAnsw, s.bRunDisableBlack};
}

void CallProgramValues::StoreTo(CPhoneSettings& s) const {
    s.bRunProg = bRunProg;
    s.sRunApp = sRunApp;
    s.sRunParam = sRunParam;
    s.bRunPause = bRunPause;
    s.bRunAfter = bRunAfter;
    s.bRunNotAnsw = bRunNotAnsw;
    s.bRunDisableBlack = bRunDisableBlack;
}

CallProgramSettings CallProgramValues::Settings() const {
    CPhoneSettings s;
    StoreTo(s);
    return CallProgramSettings::From(s);
}

TextMessageValues TextMessageValues::From(const CPhoneSettings& s) {
    return {s.m_PagerPhone, s.m_PagerPort,     s.m_PagerMessage,    s.m_PagerRetries,
            s.m_PagerDelay, s.bUnattendedPage, s.bPageContactsOnly, s.m_PagerSerialSetting};
}

void TextMessageValues::StoreTo(CPhoneSettings& s) const {
    s.m_PagerPhone = sPhone;
    s.m_PagerPort = nPort;
    s.m_PagerMessage = sMessage;
    s.m_PagerRetries = nRetries;
    s.m_PagerDelay = nDelaySeconds;
    s.bUnattendedPage = bUnattended;
    s.bPageContactsOnly = bContactsOnly;
    s.m_PagerSerialSetting = sSerialSetting;
}

TextNoticeSettings TextMessageValues::Settings() const {
    CPhoneSettings s;
    StoreTo(s);
    return TextNoticeSettings::From(s);
}

ForwardValues ForwardValues::From(const CPhoneSettings& s) {
    return {s.nFwdMethod, s.sFwdPhone, s.bFwdBlack};
}

void ForwardValues::StoreTo(CPhoneSettings& s) const {
    s.nFwdMethod = nFwdMethod;
    s.sFwdPhone = sFwdPhone;
    s.bFwdBlack = bFwdBlack;
}

bool ForwardsTheCall(int nDeviceKind) {
    return ChosenDeviceKind(nDeviceKind == kKindUsbAdapter, nDeviceKind) ==
           DeviceKind::TelephonyLine;
}

EventsValues EventsValues::From(const CPhoneSettings& s, ISettingsProvider& settings) {
    return {CallProgramValues::From(s),
            TextMessageValues::From(s),
            ForwardValues::From(s),
            MqttSettings::Read(settings),
            {}};
}

void EventsValues::StoreTo(CPhoneSettings& s) const {
    program.StoreTo(s);
    text.StoreTo(s);
    forward.StoreTo(s);
}

CallProgramFacts SampleCallFacts() {
    CallProgramFacts f;
    f.sEvent = "test";
    f.sNumber = kSampleNumber;
    f.sName = kSampleName;
    return f;
}

SmsFields SampleCallFields() {
    return {"test", kSampleNumber, kSampleName, 0};
}

std::string SendTestEvent(MqttSettings settings) {
    settings.Normalise();
    const std::string payload = CJsonObject()
                                    .AddString("event_type", "test")
                                    .AddString("number", kSampleNumber)
                                    .AddString("name", kSampleName)
                                    .Text();
    return PublishOnce(settings, settings.sTopicPrefix + "/event", payload);
}

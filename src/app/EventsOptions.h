// The options' "Events" page without its widgets: what happens outside the
// program on a call. The program started for each call (bRunProg ...), the
// text messages (m_Pager*), forwarding (nFwdMethod ...) and the events on an
// MQTT broker ([MQTT]); each subject is a struct of its own, read from the
// settings when the dialog opens and stored on OK.
#pragma once

#include "engine/CallProgram.h"
#include "engine/TextNotice.h"
#include "mqtt/MqttSettings.h"

#include <string>

struct CPhoneSettings;
class ISettingsProvider;

struct CallProgramValues {
    bool bRunProg = false;
    std::string sRunApp;
    std::string sRunParam;
    bool bRunPause = false;
    bool bRunAfter = false;
    bool bRunNotAnsw = false;
    bool bRunDisableBlack = true;

    static CallProgramValues From(const CPhoneSettings& s);
    void StoreTo(CPhoneSettings& s) const;
    // The program's settings as the worker would take them.
    CallProgramSettings Settings() const;
    bool operator==(const CallProgramValues&) const = default;
};

struct TextMessageValues {
    std::string sPhone; // m_PagerPhone; "" none sent
    int nPort = 0;      // m_PagerPort
    std::string sMessage;
    int nRetries = 1;
    int nDelaySeconds = 10;
    bool bUnattended = true;    // bUnattendedPage: only for messages
    bool bContactsOnly = false; // bPageContactsOnly
    std::string sSerialSetting; // m_PagerSerialSetting: shown nowhere, kept

    static TextMessageValues From(const CPhoneSettings& s);
    void StoreTo(CPhoneSettings& s) const;
    // The sender's settings as the worker would take them.
    TextNoticeSettings Settings() const;
    bool operator==(const TextMessageValues&) const = default;
};

struct ForwardValues {
    int nFwdMethod = 0; // a ForwardMethod (engine/CallForwarding.h)
    std::string sFwdPhone;
    bool bFwdBlack = false;

    static ForwardValues From(const CPhoneSettings& s);
    void StoreTo(CPhoneSettings& s) const;
    bool operator==(const ForwardValues&) const = default;
};

// Whether forwarding sends the call on with the device kind chosen
// (kKind...): a telephony line redirects or transfers it; on a shared
// analogue line (a modem, the adapter) the message is forwarded by dialling
// out instead.
bool ForwardsTheCall(int nDeviceKind);

struct EventsValues {
    CallProgramValues program;
    TextMessageValues text;
    ForwardValues forward;
    MqttSettings mqtt; // the [MQTT] keys, not the phone's
    // Not a setting: what the running MQTT service failed at last ("" none).
    std::string sMqttProblem;

    // The phone's keys; the [MQTT] ones are read and written through the
    // settings provider.
    static EventsValues From(const CPhoneSettings& s, ISettingsProvider& settings);
    void StoreTo(CPhoneSettings& s) const;
    bool operator==(const EventsValues&) const = default;
};

// The call "Run now" and "Send test message" tell of.
CallProgramFacts SampleCallFacts();
SmsFields SampleCallFields();

// "Send test event": the sample caller as a test event, published on
// "<prefix>/event" with the settings as typed, on the caller's thread (it
// waits for the broker a few seconds at most). "" when the broker took it,
// else why not.
std::string SendTestEvent(MqttSettings settings);

// The options' "Events" page without its widgets: what happens outside the
// program on a call. The program started for each call (bRunProg ...) and
// the text messages (m_Pager*); each subject is a struct of its own, read
// from the phone's settings when the dialog opens and stored on OK.
#pragma once

#include "engine/CallProgram.h"
#include "engine/TextNotice.h"

#include <string>

struct CPhoneSettings;

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

struct EventsValues {
    CallProgramValues program;
    TextMessageValues text;

    static EventsValues From(const CPhoneSettings& s);
    void StoreTo(CPhoneSettings& s) const;
    bool operator==(const EventsValues&) const = default;
};

// The call "Run now" and "Send test message" tell of.
CallProgramFacts SampleCallFacts();
SmsFields SampleCallFields();

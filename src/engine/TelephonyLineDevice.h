// A telephony line (the tapi/ layer over a provider) as the worker's
// telephone device. Its events reach the worker as thread messages (ring,
// caller ID, keys, tones, hang-up); its sound goes through the sound
// devices the provider names for the call ("wave/in", "wave/out"), on the
// provider's own sound backend when it has one.
#pragma once

#include "engine/LineEventRelay.h"
#include "engine/TelephoneDevice.h"
#include "tapi/MyLine.h"
#include "tapi/TapiProviders.h"

class CTalkPath;

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

class IDeviceHost;

// A telephony line on a provider of the program's chosen one; when it makes
// none, a device that says it is not available, and why (its OpenError).
std::unique_ptr<ITelephoneDevice> MakeTelephonyLineDevice(IDeviceHost& host,
                                                          const CTapiProviders& providers);
// Runs fn with the telephony layer a line device of this process has
// started, or with nullptr when none has. The layer keeps running while fn
// runs, and none starts meanwhile. Listing the lines through it starts no
// second provider beside the one in use (for SIP: no second stack wanting
// the same port).
void WithRunningTelephonyLayer(const std::function<void(CMyTapi*)>& fn);

class CTelephonyLineDevice : public CTelephoneDeviceState {
public:
    CTelephonyLineDevice(IDeviceHost& host, std::unique_ptr<ITapiProvider> provider);
    ~CTelephonyLineDevice() override;

    DeviceKind Kind() const override { return DeviceKind::TelephonyLine; }
    // Starts the telephony layer once and opens line nTAPILine.
    bool Open() override;
    void Close(bool bDeInit) override;
    void Shutdown() override;
    bool IsOpen() const override;
    bool IsAvailable() const override { return true; }
    bool IsReady() const override { return IsOpen(); }
    bool DeviceFailure() const override { return m_bFailure; }
    std::string OpenError() const override;
    // The line's own words: "Line unavailable: ..." while its provider has
    // it out of service.
    std::string UnavailableReason() const override;
    // Answers the offered call, or takes the line with a call of its own
    // (waiting up to 8 s for it to connect), and listens for keys.
    bool GoOffHook() override;
    // Drops the call (the engine hears 1029 from the line).
    bool HangUp() override;
    bool InVoiceMode() const override;
    // Plays through the call's "wave/out" device until its end, the stop
    // request, the call's end or (bDetect) a line event, which it returns.
    int PlayFile(const std::string& file, bool bDetect) override;
    // Records the call's "wave/in" device until the stop request, the
    // call's end, the line event onEvent says ends it, or maxMs. bOpened
    // false: the call has no sound device. The line's keys and tones are
    // the play's and the recording's while they run (CLineEventRelay).
    RecordResult Record(const std::string& file, uint64_t maxMs,
                        const std::function<bool(int ch)>& onEvent) override;
    DeviceCallerData CallerData() override;
    // Places a call (no call yet), dials (on-hook) or sends the digits as
    // tones (off-hook); 1 when the line then has a call, else -1.
    int Dial(const std::string& number, bool bStayOffHook) override;
    // Switches the call's media mode (the last event is 255 meanwhile, so
    // the media change it causes is not taken for a new event), then hands
    // it over.
    bool HandOffCall(bool bFax, const std::string& sTarget) override;
    // A redirect of the offered call, or a blind transfer of the call in
    // progress (waiting for the far end to take it).
    bool ForwardCall(const std::string& sTarget, bool bAnswered, std::string* pWhy) override;
    void SetEventSink(std::function<void(int, uintptr_t, intptr_t)> sink) override;
    // Talks through the process's sound card on the call's "wave/in" and
    // "wave/out" (the call offered, placed or in progress); meanwhile plays
    // and recordings go through the talk, and a recording is of both sides
    // (in two channels with bTalkStereo).
    bool StartTalking(const TalkSettings& settings, std::string* pWhy) override;
    void StopTalking() override;
    bool Talking() const override { return m_pTalk != nullptr; }
    std::string TalkFailure() const override;
    void SetTalkLevels(int nVolume, bool bMute) override;

    CMyTapi& Tapi() { return *m_pTapi; }

private:
    void Post(int nMessage, uintptr_t wParam, intptr_t lParam);
    bool CallGone() const;
    // The backend of the call's sound: the talk's while talking, else the
    // provider's (or the process's).
    ISoundBackend& CallSound();
    // A play or recording while talking follows the levels the user sets.
    void FollowTalkLevels();
    // The talk was ended (by the user, or its card failed).
    bool TalkEnded() const;
    // The user asked to talk while the answering machine has the call.
    bool TalkWantedNow() const;
    // The layer is no longer offered to WithRunningTelephonyLayer.
    void Withdraw();

    IDeviceHost& m_host;
    std::unique_ptr<ITapiProvider> m_pProvider;
    std::unique_ptr<CMyTapi> m_pTapi;
    // The talk at the PC (worker thread); gone before the provider.
    std::unique_ptr<CTalkPath> m_pTalk;
    int m_nTalkVolume = 100; // the levels the talk has
    bool m_bTalkMute = false;
    std::atomic<bool> m_bFailure{false};
    CLineEventRelay m_events;
};

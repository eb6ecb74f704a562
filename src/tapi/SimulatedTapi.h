// A telephony provider that plays scripted lines and calls, for the tests
// and the demonstration: calls offered with caller-ID flags, rings, touch-
// tone digits, tones, media modes, the far end hanging up, a second call
// while one is current. Operations answer asynchronously with request ids,
// as a real provider does; a reply can be withheld to see a wait end by its
// limit. The sound of a call is the sound layer's devices whose ids the
// script gives ("wave/in", "wave/out"), for instance the null backend's.
#pragma once

#include "tapi/TapiCallTable.h"
#include "tapi/TapiProvider.h"

#include <mutex>
#include <string>
#include <vector>

class CSimulatedTapi : public ITapiProvider {
public:
    struct LineScript {
        std::string sName;
        uint32_t dwMediaModes = kMediaInteractiveVoice;
        bool bCapsReadable = true;
        bool bRefusesVoice = false; // open with voice media fails (invalid media mode)
    };
    struct CallerId {
        uint32_t dwFlags = 0; // kCallerId* bits
        std::string sNumber;
        std::string sName;
    };

    // One voice line, "Simulated line".
    CSimulatedTapi();
    explicit CSimulatedTapi(std::vector<LineScript> lines);

    // ---- the script (any thread) ------------------------------------------
    // A call offered on line dwDevice (new call, offering, ring); its handle.
    // Without bRing nothing rings: the line's own handset placing a call.
    uint32_t OfferCall(uint32_t dwDevice, bool bRing = true);
    void Ring(uint32_t dwDevice);
    void SendCallerId(uint32_t hCall, const CallerId& cid);
    void SendDigits(uint32_t hCall, const std::string& sDigits);
    void SendTone(uint32_t hCall, char cTone);
    void SendMediaMode(uint32_t hCall, uint32_t dwMediaMode);
    void SetCallState(uint32_t hCall, uint32_t dwState);
    // The far end hangs up: the call is disconnected.
    void FarEndHangsUp(uint32_t hCall);
    void MessageWaiting(uint32_t dwDevice, bool bOn);
    // Replies to requests are withheld from now on (true) or sent (false).
    void WithholdReplies(bool bWithhold);
    // The sound device ids of every call.
    void SetWaveIds(uint32_t dwWaveIn, uint32_t dwWaveOut);
    // Initialize answers with the "start again" error this many times.
    void SetReinitCount(int n);

    // ---- what the program did ----------------------------------------------
    // Operations in order: "Open 0 media 0x4", "Accept 0x10001", "Answer 0x10001" ...
    std::vector<std::string> Operations() const;
    bool Did(const std::string& sOperation) const;
    uint32_t CallState(uint32_t hCall) const;
    bool IsOpen(uint32_t dwDevice) const;
    // The last call placed by MakeCall (0 none).
    uint32_t LastPlacedCall() const;

    // ---- ITapiProvider -----------------------------------------------------
    TapiResult Initialize(const std::string& sAppName, uint32_t* pNumDevs) override;
    TapiResult Shutdown() override;
    TapiResult NegotiateApiVersion(uint32_t dwDeviceID, uint32_t dwLow, uint32_t dwHigh,
                                   uint32_t* pVersion) override;
    TapiResult GetDevCaps(uint32_t dwDeviceID, uint32_t dwVersion, TapiLineCaps* pCaps) override;
    TapiResult GetMessage(TapiMessage* pMsg, uint32_t dwTimeoutMs) override;
    TapiResult Open(uint32_t dwDeviceID, uintptr_t dwCallbackInstance, uint32_t dwPrivileges,
                    uint32_t dwMediaModes, uint32_t* phLine) override;
    TapiResult Close(uint32_t hLine) override;
    TapiResult SetStatusMessages(uint32_t hLine, uint32_t dwLineStates,
                                 uint32_t dwAddressStates) override;
    TapiResult MakeCall(uint32_t hLine, uint32_t* phCall, const std::string& sNumber) override;
    TapiResult Answer(uint32_t hCall) override;
    TapiResult Accept(uint32_t hCall) override;
    TapiResult Dial(uint32_t hCall, const std::string& sNumber) override;
    TapiResult Drop(uint32_t hCall) override;
    TapiResult Deallocate(uint32_t hCall) override;
    TapiResult GenerateDigits(uint32_t hCall, uint32_t dwDigitMode,
                              const std::string& sDigits) override;
    TapiResult MonitorDigits(uint32_t hCall, uint32_t dwDigitModes) override;
    TapiResult SetMediaMode(uint32_t hCall, uint32_t dwMediaModes) override;
    TapiResult Handoff(uint32_t hCall, const std::string& sTarget, uint32_t dwMediaMode) override;
    TapiResult GetCallInfo(uint32_t hCall, TapiCallInfo* pInfo) override;
    TapiResult GetCallStatus(uint32_t hCall, TapiCallStatus* pStatus) override;
    TapiResult GetID(uint32_t hCall, const std::string& sDeviceClass, uint32_t* pId) override;

private:
    // Under m_mutex.
    TapiResult NewRequest();
    void Note(const std::string& s);

    mutable std::mutex m_mutex;
    std::vector<LineScript> m_lines;
    CTapiCallTable<> m_table;
    std::vector<std::string> m_ops;
    bool m_bWithhold = false;
    int m_nReinit = 0;
    uint32_t m_dwWaveIn = 0;
    uint32_t m_dwWaveOut = 0;
    uint32_t m_hLastPlaced = 0;
};

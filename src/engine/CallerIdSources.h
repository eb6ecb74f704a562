// Reading the caller's identity, whatever the device: the serial modem's
// caller-ID lines, a telephony line's own caller data, or the raw caller-ID
// message of the USB adapter. Each device is one ICallerIdSource; the steps
// around it (time stamp, "NA", filter, tooltip, caller fields) are common.
#pragma once

#include "engine/ModemCallerId.h"
#include "engine/Number.h"

#include <functional>
#include <string>

class IUiBridge;
struct CCallStateData;

struct CallerIdFill {
    bool bReceived = false; // caller data was obtained
    bool bCidSeen = false;  // caller-ID lines arrived (serial modem)
};

class ICallerIdSource {
public:
    virtual ~ICallerIdSource() = default;
    // Fills call from the device. onEarlyData may be called with the data so
    // far while the device is still delivering (the serial modem sends the
    // number before the name).
    virtual CallerIdFill Fill(CNumber& call,
                              const std::function<void(const CNumber&)>& onEarlyData) = 0;
    // The source reads the caller's data anew, forgetting what the call had
    // (the serial modem): the data counts as not received until it is.
    virtual bool ReadsAfresh() const { return false; }
};

// The serial voice modem: text lines through ICallerIdChannel.
class CModemCallerIdSource : public ICallerIdSource {
public:
    CModemCallerIdSource(ICallerIdChannel& channel, CidReadSettings settings,
                         std::function<void()> onRing = {});
    CallerIdFill Fill(CNumber& call,
                      const std::function<void(const CNumber&)>& onEarlyData) override;
    bool ReadsAfresh() const override { return true; }

private:
    ICallerIdChannel& m_channel;
    CidReadSettings m_settings;
    std::function<void()> m_onRing;
};

// What a telephony line reports about its caller.
struct LineCallerData {
    bool bPresent = false;
    std::string sName;
    std::string sNumber;
};

// A telephony line (or any device that hands over name and number).
class CLineCallerIdSource : public ICallerIdSource {
public:
    explicit CLineCallerIdSource(std::function<LineCallerData()> query);
    CallerIdFill Fill(CNumber& call, const std::function<void(const CNumber&)>&) override;

private:
    std::function<LineCallerData()> m_query;
};

// The USB adapter: its last raw caller-ID message, decoded by Etsi.
class CRawCallerIdSource : public ICallerIdSource {
public:
    explicit CRawCallerIdSource(std::string message);
    CallerIdFill Fill(CNumber& call, const std::function<void(const CNumber&)>&) override;

private:
    std::string m_sMessage;
};

struct CallerIdContext {
    IUiBridge& ui;
    CCallStateData& state; // the engine's call state, written here
    bool bFilterCalls = true;
    // The modem log, and the driver's stop request.
    std::function<void(const std::string&)> log;
    std::function<void()> clearStopRequest;
};

// Reads the caller's identity for the call now ringing into the call state's
// curCall and tells the front end: bCidReceived is raised once curCall holds
// the data.
CallerIdFill ReadCallerId(ICallerIdSource& source, const CallerIdContext& ctx,
                          std::time_t now = std::time(nullptr));

// The objects of the telephony layer: a line device (CTapiLine) with its
// addresses (CTapiAddress) and calls (CTapiCall), and a phone device
// (CTapiPhone). Each operation is the provider function of the same name.
//
// The line's message thread creates and drops calls while the call engine
// uses them: calls are shared, and the line's lists are under its lock.
#pragma once

#include "tapi/TapiProvider.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CTapiConnection;
class CTapiLine;

class CTapiObject {
public:
    virtual ~CTapiObject() = default;
};

class CTapiAddress : public CTapiObject {
public:
    CTapiAddress(CTapiLine& line, uint32_t dwAddressID) : m_line(line), m_dwAddressID(dwAddressID) {}
    CTapiLine& Line() const { return m_line; }
    uint32_t AddressID() const { return m_dwAddressID; }

private:
    CTapiLine& m_line;
    uint32_t m_dwAddressID;
};

class CTapiCall : public CTapiObject {
public:
    CTapiCall(CTapiLine& line, uint32_t hCall) : m_line(line), m_hCall(hCall) {}
    uint32_t Handle() const { return m_hCall; }
    CTapiLine& Line() const { return m_line; }

    TapiResult Answer();
    TapiResult Accept();
    TapiResult Dial(const std::string& sNumber);
    TapiResult Drop();
    TapiResult Deallocate();
    TapiResult GenerateDigits(uint32_t dwDigitMode, const std::string& sDigits);
    TapiResult MonitorDigits(uint32_t dwDigitModes);
    TapiResult SetMediaMode(uint32_t dwMediaModes);
    TapiResult Handoff(const std::string& sTarget, uint32_t dwMediaMode);
    TapiResult Redirect(const std::string& sAddress);
    TapiResult BlindTransfer(const std::string& sAddress);
    // Reads the call info and status afresh (and keeps them).
    TapiResult GetCallInfo(TapiCallInfo* pInfo);
    TapiResult GetCallStatus(TapiCallStatus* pStatus);
    // The sound device ids of the call; 0 when they cannot be read.
    uint32_t WaveInID();
    uint32_t WaveOutID();

private:
    ITapiProvider& Provider() const;

    CTapiLine& m_line;
    const uint32_t m_hCall;
    std::mutex m_mutex;
    TapiCallInfo m_info;     // under m_mutex
    TapiCallStatus m_status; // under m_mutex
};

class CTapiLine : public CTapiObject {
public:
    CTapiLine(CTapiConnection& connection, uint32_t dwDeviceID);
    ~CTapiLine() override;
    CTapiLine(const CTapiLine&) = delete;
    CTapiLine& operator=(const CTapiLine&) = delete;

    CTapiConnection& Connection() const { return m_connection; }
    ITapiProvider& Provider() const;
    uint32_t DeviceID() const { return m_dwDeviceID; }
    // Negotiates the version and reads the capabilities (at creation).
    TapiResult Init();
    uint32_t ApiVersion() const { return m_dwApiVersion; }
    // The capabilities read afresh; an error when they cannot be read.
    TapiResult GetDevCaps(TapiLineCaps* pCaps);

    TapiResult Open(uint32_t dwPrivileges, uint32_t dwMediaModes);
    TapiResult Close();
    bool IsOpen() const;
    uint32_t Handle() const;
    TapiResult SetStatusMessages(uint32_t dwLineStates, uint32_t dwAddressStates);
    // Places a call; the call object is known to the line at once.
    TapiResult MakeCall(const std::string& sNumber, std::shared_ptr<CTapiCall>* pCall);

    std::shared_ptr<CTapiCall> FindCall(uint32_t hCall) const;
    // Forgets a call (after it was deallocated).
    void RemoveCall(uint32_t hCall);
    size_t CallCount() const;

    // One message of the provider for this line (the message thread).
    void Dispatch(const TapiMessage& msg);
    // The provider closed the line on its own.
    void MarkClosed();

protected:
    // What the program does with the line's events, in this order.
    virtual void OnCallInfoChange(const std::shared_ptr<CTapiCall>&, uint32_t /*dwInfoState*/) {}
    virtual void OnCallStateChange(const std::shared_ptr<CTapiCall>&, uint32_t /*dwState*/,
                                   uint32_t /*dwDetail*/) {}
    virtual void OnLineDevStateChange(uint32_t /*dwState*/) {}
    virtual void OnDigitDetected(const std::shared_ptr<CTapiCall>&, uint32_t /*dwDigit*/,
                                 uint32_t /*dwMode*/) {}
    virtual void OnMediaModeDetected(const std::shared_ptr<CTapiCall>&, uint32_t /*dwMode*/) {}
    virtual void OnToneDetected(const std::shared_ptr<CTapiCall>&, uint32_t /*dwTone*/) {}
    virtual void OnNewCall(const std::shared_ptr<CTapiCall>&) {}

    mutable std::mutex m_mutex;

private:
    std::shared_ptr<CTapiCall> AddCall(uint32_t hCall);

    CTapiConnection& m_connection;
    const uint32_t m_dwDeviceID;
    uint32_t m_dwApiVersion = 0;
    uint32_t m_hLine = 0; // under m_mutex
    std::vector<std::unique_ptr<CTapiAddress>> m_addresses;
    std::vector<std::shared_ptr<CTapiCall>> m_calls; // under m_mutex
};

class CTapiPhone : public CTapiObject {
public:
    CTapiPhone(CTapiConnection& connection, uint32_t dwDeviceID)
        : m_connection(connection), m_dwDeviceID(dwDeviceID) {}
    TapiResult Init();
    uint32_t DeviceID() const { return m_dwDeviceID; }
    uint32_t ApiVersion() const { return m_dwApiVersion; }

private:
    CTapiConnection& m_connection;
    uint32_t m_dwDeviceID;
    uint32_t m_dwApiVersion = 0;
};

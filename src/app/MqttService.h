// CMqttService: the running program's MQTT client ([MQTT], see
// mqtt/MqttClient.h), following the worker's call events. A command from
// the broker is handed to the window's loop through a descriptor the loop
// watches and carried out there through IExternalControl, as a request on
// the control socket is.
#pragma once

#include "mqtt/MqttCommands.h"

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

class CCallEventPublisher;
class CMqttClient;
class ControlServer;
class IExternalControl;
class ISettingsProvider;

class CMqttService {
public:
    // Commands waiting for the loop at most; more are told and dropped.
    static constexpr size_t kMaxWaiting = 16;
    using Report = std::function<void(const std::string&)>;

    CMqttService(ControlServer& loop, IExternalControl& control, Report report);
    // Stops (see Stop).
    ~CMqttService();
    CMqttService(const CMqttService&) = delete;
    CMqttService& operator=(const CMqttService&) = delete;

    // Starts the client when the settings enable it and there are events to
    // follow.
    void Start(ISettingsProvider& settings, CCallEventPublisher* events);
    // The client says "offline" and goes; the loop stops watching.
    void Stop();
    // What failed last and still holds ("" none, or the broker was reached
    // since).
    std::string LastProblem() const;

private:
    void Take(const MqttCommand& command); // the client's thread
    void OnReady();                        // the loop's thread
    void Carry(const MqttCommand& command);

    ControlServer& m_loop;
    IExternalControl& m_control;
    Report m_report;
    int m_fd = -1; // an eventfd: commands are waiting
    std::unique_ptr<CMqttClient> m_client;
    std::string m_sStartProblem; // why the client did not start
    std::mutex m_mutex;
    std::deque<MqttCommand> m_waiting; // under m_mutex
};

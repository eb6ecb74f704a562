// CMqttClient: the call events on an MQTT broker, for home automation.
//
// It follows the worker's call events on a subscription of its own and
// publishes each (see CCallFacts) on "<prefix>/event", the line's state
// retained on "<prefix>/state", "online" retained on "<prefix>/availability"
// (the broker's will says "offline" when the program goes without a word,
// and Stop says it in words) and Home Assistant's discovery configs, on
// every connect and again when "homeassistant/status" says "online". With
// bCommands, "<prefix>/set/..." (see MqttCommands.h) reaches the command
// sink; a malformed command is told and ignored.
//
// The connection is kept on a thread of its own, tried again every second
// while the broker is away. Meanwhile the events wait in order in the
// subscription's queue (at most kQueueCapacity; beyond it the oldest are
// dropped, counted and told by the publisher) and go out once the broker is
// back; the worker only hands them over. What goes wrong (the login refused,
// TLS, an unknown host, the broker lost) is told through the report once per
// change, and once more when the broker is reached again.
#pragma once

#include "mqtt/CallFacts.h"
#include "mqtt/MqttCommands.h"
#include "mqtt/MqttSettings.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>

class CCallEventPublisher;
struct mosquitto;
struct mosquitto_message;

class CMqttClient {
public:
    using Report = std::function<void(const std::string&)>;
    // Called on the connection's thread.
    using CommandSink = std::function<void(const MqttCommand&)>;
    // The unheard messages now (negative when unknown); called on the
    // subscription's thread when the line opens and when a call rings.
    using UnheardCount = std::function<int()>;
    static constexpr size_t kQueueCapacity = 1000;

    CMqttClient(MqttSettings settings, Report report, CommandSink commands,
                UnheardCount unheard = {});
    // Stops (see Stop).
    ~CMqttClient();
    CMqttClient(const CMqttClient&) = delete;
    CMqttClient& operator=(const CMqttClient&) = delete;

    // Connects in the background and follows events; false (told through
    // the report) when the client cannot be set up.
    bool Start(CCallEventPublisher& events);
    // Publishes the events still queued if the broker is there, says
    // "offline", disconnects and ends the subscription.
    void Stop();
    bool IsConnected() const;
    // What was told last as going wrong; "" once the broker was reached.
    std::string LastProblem() const;

private:
    static void OnConnect(mosquitto* m, void* self, int rc);
    static void OnDisconnect(mosquitto* m, void* self, int rc);
    static void OnPublish(mosquitto* m, void* self, int mid);
    static void OnMessage(mosquitto* m, void* self, const mosquitto_message* msg);
    static void OnLog(mosquitto* m, void* self, int level, const char* text);
    // Callbacks, options, will, login and TLS on the handle.
    bool Configure();
    void Loop();
    void OnEvent(const CallEvent& event);
    // Waits for the broker and for it to take the message; false when
    // stopped without it, or refused.
    bool Publish(const std::string& topic, const std::string& payload, bool bRetain);
    void PublishPresence();
    std::string Topic(const char* leaf) const { return m_settings.sTopicPrefix + "/" + leaf; }
    std::string Where() const;
    // Told once until the text changes or the broker is reached.
    void Problem(const std::string& text);

    MqttSettings m_settings;
    Report m_report;
    CommandSink m_commands;
    UnheardCount m_unheard;
    mosquitto* m_mosq = nullptr;
    std::thread m_loop;
    CCallEventPublisher* m_pEvents = nullptr;
    int m_nSubscription = 0;

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bConnected = false; // under m_mutex
    bool m_bStopping = false;  // under m_mutex: events go out only while connected
    bool m_bLoopEnd = false;   // under m_mutex
    int m_nConnection = 0;     // under m_mutex: connections made so far
    std::deque<int> m_acked;   // under m_mutex: the last messages the broker took
    std::mutex m_handleMutex;  // a publish from outside against the loop's fresh start
    std::string m_sProblem;    // under m_mutex: told last ("" none since the broker was reached)
    std::string m_sLogError;   // under m_mutex: the library's last error line
    CCallFacts m_facts;        // under m_mutex
};

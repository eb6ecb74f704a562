// A real MQTT broker for tests (Debian's mosquitto) on a free port of
// 127.0.0.1 with a configuration of the test's own, and a subscriber that
// keeps what it hears.
#pragma once

#include "ChildProcess.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct mosquitto;

class MqttBroker {
public:
    // The broker's files go to folder; extraConfig is added to the listener's
    // lines (TLS, a password file). Anonymous clients are let in without it.
    explicit MqttBroker(std::string folder, std::string extraConfig = "allow_anonymous true\n");
    ~MqttBroker() { Stop(); }
    // Starts it (on the same port again after a Stop) and waits until it listens.
    bool Start();
    // SIGTERM and its end; retained messages and the sessions of clients
    // that keep theirs outlive it.
    void Stop();
    int Port() const { return m_nPort; }
    std::string Log() const;

private:
    std::string m_folder;
    std::string m_config;
    int m_nPort;
    BackgroundProgram m_process;
};

struct MqttHeard {
    std::string topic;
    std::string payload;
    bool bRetained = false;
};

class MqttSubscriber {
public:
    // Subscribes to "#" on the broker at port (QoS 1) in a session the broker
    // keeps under id: what comes while it is away (a broker restart) reaches
    // it once it is back. Returns once the broker has the subscription.
    MqttSubscriber(int port, const std::string& id);
    ~MqttSubscriber();
    // Publishes payload on topic (QoS 1).
    void Publish(const std::string& topic, const std::string& payload);
    std::vector<MqttHeard> Heard() const;
    // Returns once the broker has its own message back to it, and so has
    // taken every acknowledgement sent before (none is due again after a
    // restart).
    bool Sync();
    // Forgets what was heard.
    void Clear();
    // The payloads heard on topic, in order.
    std::vector<std::string> On(const std::string& topic) const;
    // Waits until done(what was heard) holds, looking again at each message.
    bool WaitFor(const std::function<bool(const std::vector<MqttHeard>&)>& done,
                 unsigned timeoutMs = 30000) const;

private:
    mosquitto* m_mosq = nullptr;
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_cv;
    std::vector<MqttHeard> m_heard; // under m_mutex
    bool m_bSubscribed = false;     // under m_mutex
};

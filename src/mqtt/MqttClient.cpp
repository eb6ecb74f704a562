#include "mqtt/MqttClient.h"

#include "engine/CallEvents.h"
#include "mqtt/Discovery.h"
#include "mqtt/MqttLogin.h"
#include "platform/ThreadName.h"

#include <mosquitto.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace {

using namespace std::chrono_literals;
constexpr auto kRetryEvery = 1s;
constexpr auto kGoodbyeWait = 2s;
constexpr int kKeepAliveSeconds = 30;
constexpr char kOnline[] = "online";
constexpr char kOffline[] = "offline";

} // namespace

CMqttClient::CMqttClient(MqttSettings settings, Report report, CommandSink commands,
                         UnheardCount unheard)
    : m_settings(std::move(settings)), m_report(std::move(report)), m_commands(std::move(commands)),
      m_unheard(std::move(unheard)) {}

CMqttClient::~CMqttClient() {
    Stop();
}

std::string CMqttClient::Where() const {
    return BrokerPlace(m_settings);
}

void CMqttClient::Problem(const std::string& text) {
    {
        std::lock_guard lock(m_mutex);
        if (text == m_sProblem)
            return;
        m_sProblem = text;
    }
    if (m_report)
        m_report(text);
}

bool CMqttClient::Configure() {
    mosquitto_threaded_set(m_mosq, true);
    // Each event goes out as it comes, not held for the next.
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_connect_callback_set(m_mosq, OnConnect);
    mosquitto_disconnect_callback_set(m_mosq, OnDisconnect);
    mosquitto_publish_callback_set(m_mosq, OnPublish);
    mosquitto_message_callback_set(m_mosq, OnMessage);
    mosquitto_log_callback_set(m_mosq, OnLog);
    const std::string availability = Topic("availability");
    const int rc =
        mosquitto_will_set(m_mosq, availability.c_str(), sizeof kOffline - 1, kOffline, 1, true);
    if (rc != MOSQ_ERR_SUCCESS) {
        Problem(std::string("MQTT: the client could not be set up: ") + mosquitto_strerror(rc));
        return false;
    }
    if (std::string why = SetUpLogin(m_mosq, m_settings); !why.empty()) {
        Problem(why);
        return false;
    }
    return true;
}

bool CMqttClient::Start(CCallEventPublisher& events) {
    Stop();
    {
        std::lock_guard lock(m_mutex);
        m_bStopping = m_bLoopEnd = m_bConnected = false;
    }
    InitMqttLibrary();
    m_mosq = mosquitto_new(nullptr, true, this);
    if (!m_mosq) {
        Problem("MQTT: the client could not be made: " + std::string(std::strerror(errno)));
        return false;
    }
    if (!Configure()) {
        mosquitto_destroy(std::exchange(m_mosq, nullptr));
        return false;
    }
    m_loop = std::thread([this] {
        NameThisThread("mqtt");
        Loop();
    });
    m_pEvents = &events;
    m_nSubscription = events.Subscribe(
        "MQTT broker", [this](const CallEvent& e) { OnEvent(e); }, kQueueCapacity);
    return true;
}

void CMqttClient::Stop() {
    if (!m_mosq)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_bStopping = true;
    }
    m_cv.notify_all();
    if (m_pEvents)
        m_pEvents->Unsubscribe(std::exchange(m_nSubscription, 0), true);
    m_pEvents = nullptr;
    Publish(Topic("availability"), kOffline, true);
    {
        std::lock_guard lock(m_mutex);
        m_bLoopEnd = true;
    }
    m_cv.notify_all();
    {
        std::lock_guard handle(m_handleMutex);
        mosquitto_disconnect(m_mosq);
    }
    if (m_loop.joinable())
        m_loop.join();
    mosquitto_destroy(std::exchange(m_mosq, nullptr));
}

bool CMqttClient::IsConnected() const {
    std::lock_guard lock(m_mutex);
    return m_bConnected;
}

std::string CMqttClient::LastProblem() const {
    std::lock_guard lock(m_mutex);
    return m_sProblem;
}

void CMqttClient::Loop() {
    bool bConnect = true;
    std::unique_lock lock(m_mutex);
    while (!m_bLoopEnd) {
        lock.unlock();
        int rc = MOSQ_ERR_SUCCESS;
        bool bTold = false; // the callbacks told what went wrong
        if (bConnect) {
            // A fresh start: what the library kept of the last connection
            // would go out again beside the events our own queue sends again.
            bool bConfigured = false;
            {
                std::lock_guard handle(m_handleMutex);
                rc = mosquitto_reinitialise(m_mosq, nullptr, true, this);
                bConfigured = rc == MOSQ_ERR_SUCCESS && Configure();
            }
            if (bConfigured) {
                rc = mosquitto_connect_async(m_mosq, m_settings.sHost.c_str(), m_settings.nPort,
                                             kKeepAliveSeconds);
            } else if (rc == MOSQ_ERR_SUCCESS) {
                rc = MOSQ_ERR_INVAL;
                bTold = true; // Configure told why
            }
            bConnect = rc != MOSQ_ERR_SUCCESS;
        } else {
            rc = mosquitto_loop(m_mosq, 100, 1);
            bTold = rc == MOSQ_ERR_CONN_REFUSED;
        }
        const int nErrno = errno;
        lock.lock();
        if (rc == MOSQ_ERR_SUCCESS || m_bLoopEnd)
            continue;
        m_bConnected = false;
        const std::string detail = std::exchange(m_sLogError, "");
        lock.unlock();
        m_cv.notify_all();
        const bool bTls = rc == MOSQ_ERR_TLS || detail.find("SSL") != std::string::npos ||
                          detail.find("TLS") != std::string::npos;
        if (!bTold || rc == MOSQ_ERR_EAI || bTls)
            Problem(ConnectionProblem(m_settings, rc, nErrno, detail));
        bConnect = true;
        lock.lock();
        m_cv.wait_for(lock, kRetryEvery, [this] { return m_bLoopEnd; });
    }
}

void CMqttClient::OnConnect(mosquitto*, void* self, int rc) {
    auto* c = static_cast<CMqttClient*>(self);
    if (rc != 0) {
        c->Problem("MQTT: the broker at " + c->Where() +
                   " refused the login: " + mosquitto_connack_string(rc));
        return;
    }
    mosquitto_subscribe(c->m_mosq, nullptr, kDiscoveryStatusTopic, 1);
    if (c->m_settings.bCommands)
        mosquitto_subscribe(c->m_mosq, nullptr,
                            CommandTopic(c->m_settings.sTopicPrefix, "#").c_str(), 1);
    c->PublishPresence();
    bool bWasProblem = false;
    {
        std::lock_guard lock(c->m_mutex);
        c->m_bConnected = true;
        ++c->m_nConnection;
        bWasProblem = !std::exchange(c->m_sProblem, "").empty();
    }
    c->m_cv.notify_all();
    if (bWasProblem && c->m_report)
        c->m_report("MQTT: connected to the broker at " + c->Where());
}

void CMqttClient::OnDisconnect(mosquitto*, void* self, int) {
    auto* c = static_cast<CMqttClient*>(self);
    {
        std::lock_guard lock(c->m_mutex);
        c->m_bConnected = false;
    }
    c->m_cv.notify_all();
}

void CMqttClient::OnPublish(mosquitto*, void* self, int mid) {
    auto* c = static_cast<CMqttClient*>(self);
    {
        std::lock_guard lock(c->m_mutex);
        c->m_acked.push_back(mid);
        if (c->m_acked.size() > 64)
            c->m_acked.pop_front();
    }
    c->m_cv.notify_all();
}

void CMqttClient::OnLog(mosquitto*, void* self, int level, const char* text) {
    if (level != MOSQ_LOG_ERR || !text)
        return;
    auto* c = static_cast<CMqttClient*>(self);
    std::lock_guard lock(c->m_mutex);
    c->m_sLogError = text;
}

void CMqttClient::OnMessage(mosquitto*, void* self, const mosquitto_message* msg) {
    auto* c = static_cast<CMqttClient*>(self);
    const std::string_view topic = msg->topic ? msg->topic : "";
    const std::string_view payload(static_cast<const char*>(msg->payload),
                                   msg->payload ? static_cast<size_t>(msg->payloadlen) : 0);
    if (topic == kDiscoveryStatusTopic) {
        if (payload == kOnline)
            c->PublishPresence();
        return;
    }
    if (!c->m_settings.bCommands)
        return;
    std::string error;
    if (auto command = ParseMqttCommand(c->m_settings.sTopicPrefix, topic, payload, &error)) {
        if (c->m_commands)
            c->m_commands(*command);
    } else {
        c->Problem("MQTT: command ignored: " + error);
    }
}

// On the connection's thread, before the events go out: they are told from
// a broker that knows the program is there.
void CMqttClient::PublishPresence() {
    auto send = [this](const std::string& topic, const std::string& payload) {
        mosquitto_publish(m_mosq, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                          payload.data(), 1, true);
    };
    send(Topic("availability"), kOnline);
    for (const MqttMessage& m : DiscoveryConfigs(m_settings.sTopicPrefix, m_settings.bCommands))
        send(m.sTopic, m.sPayload);
    std::string state;
    {
        std::lock_guard lock(m_mutex);
        state = m_facts.StateJson();
    }
    send(Topic("state"), state);
}

// One message at a time, each until the broker took it: one that went with
// a lost connection goes again on the next, and the library keeps none.
bool CMqttClient::Publish(const std::string& topic, const std::string& payload, bool bRetain) {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_cv.wait(lock, [this] { return m_bConnected || m_bStopping; });
        if (!m_bConnected)
            return false;
        const int connection = m_nConnection;
        const bool bStopping = m_bStopping;
        lock.unlock();
        int mid = 0;
        int rc = MOSQ_ERR_NO_CONN;
        {
            std::lock_guard handle(m_handleMutex);
            rc = mosquitto_publish(m_mosq, &mid, topic.c_str(), static_cast<int>(payload.size()),
                                   payload.data(), 1, bRetain);
        }
        lock.lock();
        if (rc != MOSQ_ERR_SUCCESS && rc != MOSQ_ERR_NO_CONN && rc != MOSQ_ERR_CONN_LOST) {
            lock.unlock();
            Problem("MQTT: a message for " + topic + " was not sent: " + mosquitto_strerror(rc));
            return false;
        }
        auto taken = [&] {
            return std::find(m_acked.begin(), m_acked.end(), mid) != m_acked.end();
        };
        auto over = [&] { return taken() || !m_bConnected || m_nConnection != connection; };
        if (rc == MOSQ_ERR_SUCCESS) {
            if (bStopping)
                m_cv.wait_for(lock, kGoodbyeWait, over);
            else
                m_cv.wait(lock, over);
            if (taken())
                return true;
            if (bStopping)
                return false;
        } else {
            // The connection went: the loop sees it soon and reconnects.
            m_cv.wait_for(lock, 100ms, [&] { return !m_bConnected || m_bStopping; });
        }
    }
}

void CMqttClient::OnEvent(const CallEvent& event) {
    // The count is taken when the line opens and when a call starts, long
    // after the call history (a subscriber of its own) wrote the last call.
    const auto* ring = std::get_if<CallRinging>(&event);
    const bool bCount =
        m_unheard && ((ring && ring->nRings <= 1) || std::holds_alternative<LineBack>(event));
    const int nUnheard = bCount ? m_unheard() : -1;
    bool bStateChanged = false;
    std::vector<std::string> messages;
    std::string state;
    {
        std::lock_guard lock(m_mutex);
        const std::string before = m_facts.StateJson();
        messages = m_facts.Follow(event, &bStateChanged);
        if (nUnheard >= 0)
            m_facts.SetUnheard(nUnheard);
        state = m_facts.StateJson();
        bStateChanged = state != before;
    }
    for (const std::string& m : messages)
        Publish(Topic("event"), m, false);
    if (bStateChanged)
        Publish(Topic("state"), state, true);
}

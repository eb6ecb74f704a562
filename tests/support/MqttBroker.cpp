#include "MqttBroker.h"

#include "HttpClient.h"
#include "WaitUntil.h"

#include <mosquitto.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

MqttBroker::MqttBroker(std::string folder, std::string extraConfig)
    : m_folder(std::move(folder)), m_config(std::move(extraConfig)), m_nPort(FreePort()) {}

bool MqttBroker::Start() {
    const std::string conf = m_folder + "mosquitto.conf";
    // Run as root, the broker would become the user "mosquitto", who may
    // not write the test's folder.
    const passwd* user = ::getpwuid(::getuid());
    std::ofstream(conf) << "user " << (user ? user->pw_name : "root")
                        << "\npersistence true\npersistence_location " << m_folder
                        << "\nlog_dest stderr\nlistener " << m_nPort << " 127.0.0.1\n"
                        << m_config;
    return m_process.Launch({"/usr/sbin/mosquitto", "-c", conf}, m_folder + "mosquitto.log") &&
           WaitUntil(
               [&] {
                   const int fd = OpenIdleConnection(static_cast<uint16_t>(m_nPort));
                   return fd >= 0 && ::close(fd) == 0;
               },
               10000);
}

void MqttBroker::Stop() {
    if (m_process.Pid() > 0 && m_process.Signal(SIGTERM))
        m_process.Wait(10000);
}

std::string MqttBroker::Log() const {
    std::ifstream in(m_folder + "mosquitto.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

MqttSubscriber::MqttSubscriber(int port, const std::string& id) {
    mosquitto_lib_init();
    m_mosq = mosquitto_new(id.c_str(), false, this);
    mosquitto_connect_callback_set(m_mosq, [](mosquitto* m, void*, int rc) {
        if (rc == 0)
            mosquitto_subscribe(m, nullptr, "#", 1);
    });
    mosquitto_message_callback_set(
        m_mosq, [](mosquitto*, void* self, const mosquitto_message* msg) {
            auto* s = static_cast<MqttSubscriber*>(self);
            {
                std::lock_guard lock(s->m_mutex);
                s->m_heard.push_back({msg->topic,
                                      std::string(static_cast<const char*>(msg->payload),
                                                  static_cast<size_t>(msg->payloadlen)),
                                      msg->retain});
            }
            s->m_cv.notify_all();
        });
    mosquitto_reconnect_delay_set(m_mosq, 1, 1, false);
    mosquitto_int_option(m_mosq, MOSQ_OPT_TCP_NODELAY, 1);
    mosquitto_subscribe_callback_set(m_mosq, [](mosquitto*, void* self, int, int, const int*) {
        auto* s = static_cast<MqttSubscriber*>(self);
        {
            std::lock_guard lock(s->m_mutex);
            s->m_bSubscribed = true;
        }
        s->m_cv.notify_all();
    });
    mosquitto_connect(m_mosq, "127.0.0.1", port, 30);
    mosquitto_loop_start(m_mosq);
    std::unique_lock lock(m_mutex);
    m_cv.wait_for(lock, std::chrono::seconds(10), [this] { return m_bSubscribed; });
}

MqttSubscriber::~MqttSubscriber() {
    // The loop thread ends by itself after a disconnect; forcing it would
    // cancel it, possibly inside one of the library's locks.
    mosquitto_disconnect(m_mosq);
    mosquitto_loop_stop(m_mosq, false);
    mosquitto_destroy(m_mosq);
}

void MqttSubscriber::Publish(const std::string& topic, const std::string& payload) {
    mosquitto_publish(m_mosq, nullptr, topic.c_str(), static_cast<int>(payload.size()),
                      payload.data(), 1, false);
}

bool MqttSubscriber::Sync() {
    const size_t nBefore = Heard().size();
    Publish("test/sync", "");
    return WaitFor([&](const std::vector<MqttHeard>& heard) {
        return std::any_of(heard.begin() + static_cast<long>(std::min(nBefore, heard.size())),
                           heard.end(), [](const MqttHeard& h) { return h.topic == "test/sync"; });
    });
}

std::vector<MqttHeard> MqttSubscriber::Heard() const {
    std::lock_guard lock(m_mutex);
    return m_heard;
}

std::vector<std::string> MqttSubscriber::On(const std::string& topic) const {
    std::vector<std::string> payloads;
    for (const MqttHeard& h : Heard())
        if (h.topic == topic)
            payloads.push_back(h.payload);
    return payloads;
}

void MqttSubscriber::Clear() {
    std::lock_guard lock(m_mutex);
    m_heard.clear();
}

bool MqttSubscriber::WaitFor(const std::function<bool(const std::vector<MqttHeard>&)>& done,
                             unsigned timeoutMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::unique_lock lock(m_mutex);
    for (;;) {
        const std::vector<MqttHeard> heard = m_heard;
        lock.unlock();
        if (done(heard))
            return true;
        lock.lock();
        if (!m_cv.wait_until(lock, deadline, [&] { return m_heard.size() != heard.size(); }))
            return false;
    }
}

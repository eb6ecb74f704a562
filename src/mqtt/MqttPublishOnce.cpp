#include "mqtt/MqttPublishOnce.h"

#include "mqtt/MqttLogin.h"

#include <mosquitto.h>

#include <cerrno>
#include <memory>

namespace {

struct Attempt {
    int nConnack = -1; // the broker's answer to the login; -1 none yet
    int nMid = 0;      // the message sent
    bool bTaken = false;
    std::string sLogError;
};

Attempt& Of(void* self) {
    return *static_cast<Attempt*>(self);
}

} // namespace

std::string PublishOnce(const MqttSettings& settings, const std::string& topic,
                        const std::string& payload, std::chrono::milliseconds limit) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + limit;
    InitMqttLibrary();
    Attempt a;
    std::unique_ptr<mosquitto, void (*)(mosquitto*)> m(mosquitto_new(nullptr, true, &a),
                                                       mosquitto_destroy);
    if (!m)
        return "MQTT: the client could not be made";
    mosquitto_connect_callback_set(m.get(),
                                   [](mosquitto*, void* self, int rc) { Of(self).nConnack = rc; });
    mosquitto_publish_callback_set(m.get(), [](mosquitto*, void* self, int mid) {
        Of(self).bTaken = Of(self).bTaken || mid == Of(self).nMid;
    });
    mosquitto_log_callback_set(m.get(), [](mosquitto*, void* self, int level, const char* text) {
        if (level == MOSQ_LOG_ERR && text)
            Of(self).sLogError = text;
    });
    if (std::string why = SetUpLogin(m.get(), settings); !why.empty())
        return why;
    int rc = mosquitto_connect_async(m.get(), settings.sHost.c_str(), settings.nPort, 30);
    // The loop until done holds, or the connection fails, or time is up.
    auto loopUntil = [&](auto done) -> std::string {
        while (rc == MOSQ_ERR_SUCCESS && !done()) {
            if (Clock::now() >= deadline)
                return "MQTT: the broker at " + BrokerPlace(settings) + " did not answer";
            rc = mosquitto_loop(m.get(), 100, 1);
        }
        if (rc == MOSQ_ERR_SUCCESS || a.nConnack > 0) // a refusal is told below
            return {};
        return ConnectionProblem(settings, rc, errno, a.sLogError);
    };
    if (std::string why = loopUntil([&] { return a.nConnack >= 0; }); !why.empty())
        return why;
    if (a.nConnack != 0)
        return "MQTT: the broker at " + BrokerPlace(settings) +
               " refused the login: " + mosquitto_connack_string(a.nConnack);
    rc = mosquitto_publish(m.get(), &a.nMid, topic.c_str(), static_cast<int>(payload.size()),
                           payload.data(), 1, false);
    if (rc != MOSQ_ERR_SUCCESS)
        return "MQTT: a message for " + topic + " was not sent: " + mosquitto_strerror(rc);
    std::string why = loopUntil([&] { return a.bTaken; });
    mosquitto_disconnect(m.get());
    mosquitto_loop(m.get(), 0, 1);
    return why;
}

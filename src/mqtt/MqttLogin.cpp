#include "mqtt/MqttLogin.h"

#include <mosquitto.h>

#include <cstring>
#include <mutex>

namespace {

constexpr char kSystemAuthorities[] = "/etc/ssl/certs";

} // namespace

void InitMqttLibrary() {
    static std::once_flag once;
    std::call_once(once, [] { mosquitto_lib_init(); });
}

std::string BrokerPlace(const MqttSettings& settings) {
    return settings.sHost + ":" + std::to_string(settings.nPort);
}

std::string ConnectionProblem(const MqttSettings& settings, int rc, int nErrno,
                              const std::string& logError) {
    const std::string why = rc == MOSQ_ERR_ERRNO ? std::strerror(nErrno) : mosquitto_strerror(rc);
    if (rc == MOSQ_ERR_EAI)
        return "MQTT: the broker's host is unknown: " + settings.sHost;
    if (rc == MOSQ_ERR_TLS || logError.find("SSL") != std::string::npos ||
        logError.find("TLS") != std::string::npos)
        return "MQTT: TLS failed with " + BrokerPlace(settings) + ": " +
               (logError.empty() ? why : logError);
    return "MQTT: no connection to the broker at " + BrokerPlace(settings) + ": " + why;
}

std::string SetUpLogin(mosquitto* m, const MqttSettings& settings) {
    if (!settings.sUser.empty()) {
        const int rc =
            mosquitto_username_pw_set(m, settings.sUser.c_str(), settings.sPassword.c_str());
        if (rc != MOSQ_ERR_SUCCESS)
            return std::string("MQTT: the client could not be set up: ") + mosquitto_strerror(rc);
    }
    if (settings.nSecurity != 1)
        return {};
    const bool bOwnCa = !settings.sCaFile.empty();
    const int rc =
        mosquitto_tls_set(m, bOwnCa ? settings.sCaFile.c_str() : nullptr,
                          bOwnCa ? nullptr : kSystemAuthorities, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS)
        return "MQTT: TLS failed: cannot use the certificate authority " +
               (bOwnCa ? settings.sCaFile : std::string(kSystemAuthorities)) + ": " +
               mosquitto_strerror(rc);
    return {};
}

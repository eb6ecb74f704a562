// The login and TLS of a connection to the broker the settings name, on a
// client handle before it connects, and the words for what went wrong.
#pragma once

#include "mqtt/MqttSettings.h"

#include <string>

struct mosquitto;

// The library's one start in the process.
void InitMqttLibrary();

// "" when set up, else why not (a line for the log and the user).
std::string SetUpLogin(mosquitto* m, const MqttSettings& settings);

// "host:port"
std::string BrokerPlace(const MqttSettings& settings);
// Why a connection failed, from the library's code (errno for
// MOSQ_ERR_ERRNO) and its last error line ("" none).
std::string ConnectionProblem(const MqttSettings& settings, int rc, int nErrno,
                              const std::string& logError);

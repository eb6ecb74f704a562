// One message to the broker the settings name, on a connection made for it
// alone: connect, publish (QoS 1), wait until the broker took it,
// disconnect. For trying settings before they are saved, on the caller's
// thread.
#pragma once

#include "mqtt/MqttSettings.h"

#include <chrono>
#include <string>

// "" when the broker took the message, else why not: the connection's
// error, the broker's refusal of the login, or no answer within limit.
std::string PublishOnce(const MqttSettings& settings, const std::string& topic,
                        const std::string& payload,
                        std::chrono::milliseconds limit = std::chrono::seconds(10));

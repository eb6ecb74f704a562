// A command from the MQTT broker: any topic and payload. The input's first
// line is the topic, the rest the payload.
#include "mqtt/MqttCommands.h"

#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t end = input.find('\n');
    const std::string_view topic = input.substr(0, end);
    const std::string_view payload =
        end == std::string_view::npos ? std::string_view{} : input.substr(end + 1);
    std::string error;
    const auto command = ParseMqttCommand("vorella", topic, payload, &error);
    // Either a command or a reason, never both or neither; the reason stays
    // short whatever came.
    if (command.has_value() == !error.empty() || error.size() > 512)
        std::abort();
    return 0;
}

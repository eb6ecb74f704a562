#include "mqtt/MqttCommands.h"

#include "platform/JsonText.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string_view s) {
    std::string u(s);
    std::transform(u.begin(), u.end(), u.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return u;
}

} // namespace

std::string CommandTopic(const std::string& sPrefix, std::string_view word) {
    return sPrefix + "/set/" + std::string(word);
}

std::optional<MqttCommand> ParseMqttCommand(const std::string& sPrefix, std::string_view sTopic,
                                            std::string_view payload, std::string* sError) {
    const std::string head = CommandTopic(sPrefix, "");
    const std::string_view word =
        sTopic.starts_with(head) ? sTopic.substr(head.size()) : std::string_view{};
    const std::string value = Upper(payload);
    auto fail = [&](const char* what) -> std::optional<MqttCommand> {
        if (sError)
            *sError = std::string(what) + " (topic " + JsonString(sTopic, 128) + ", payload " +
                      JsonString(payload, 64) + ")";
        return std::nullopt;
    };
    const bool bPress = value.empty() || value == "PRESS";
    if (word == "monitoring") {
        if (value != "ON" && value != "OFF")
            return fail("monitoring wants ON or OFF");
        return MqttCommand{MqttCommandKind::Monitoring, value == "ON"};
    }
    if (word == kBlockWord || word == "record" || word == "stop") {
        if (!bPress)
            return fail("the command takes no payload");
        return MqttCommand{word == kBlockWord ? MqttCommandKind::BlockLastCaller
                           : word == "record" ? MqttCommandKind::Record
                                              : MqttCommandKind::Stop};
    }
    return fail("unknown command");
}

// The commands taken on "<prefix>/set/<word>" (with bCommands): "monitoring"
// with "ON" or "OFF", "block" (the last caller), "record" and "stop", whose
// payloads say nothing ("" or Home Assistant's button's "PRESS").
#pragma once

#include <optional>
#include <string>
#include <string_view>

enum class MqttCommandKind { Monitoring, BlockLastCaller, Record, Stop };

struct MqttCommand {
    MqttCommandKind kind = MqttCommandKind::Stop;
    bool bOn = false; // Monitoring: on or off
};

inline constexpr char kBlockWord[] = "block";

std::string CommandTopic(const std::string& sPrefix, std::string_view word);

// The command on sTopic (a topic under sPrefix + "/set/"), or nothing with
// sError saying what is wrong with it.
std::optional<MqttCommand> ParseMqttCommand(const std::string& sPrefix, std::string_view sTopic,
                                            std::string_view payload, std::string* sError);

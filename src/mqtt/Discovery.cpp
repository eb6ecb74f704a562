#include "mqtt/Discovery.h"

#include "mqtt/CallFacts.h"
#include "mqtt/MqttCommands.h"
#include "platform/JsonText.h"

#include <cctype>

namespace {

// The prefix as an identifier of Home Assistant's: letters, digits, "_".
std::string NodeId(const std::string& sPrefix) {
    std::string id;
    for (char c : sPrefix)
        id += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return id;
}

} // namespace

std::vector<MqttMessage> DiscoveryConfigs(const std::string& sPrefix, bool bCommands) {
    const std::string node = NodeId(sPrefix);
    const CJsonObject device =
        CJsonObject().AddStrings("identifiers", {node}).AddString("name", "Vorella");
    auto entity = [&](const std::string& name, const std::string& id) {
        CJsonObject o;
        o.AddString("name", name)
            .AddString("unique_id", node + "_" + id)
            .AddString("availability_topic", sPrefix + "/availability")
            .AddObject("device", device);
        return o;
    };
    auto topic = [&](const char* component, const char* id) {
        return std::string("homeassistant/") + component + "/" + node + "/" + id + "/config";
    };
    std::vector<MqttMessage> configs = {
        {topic("event", "call"), entity("Call", "call")
                                     .AddString("state_topic", sPrefix + "/event")
                                     .AddStrings("event_types", CCallFacts::EventTypes())
                                     .Text()},
        {topic("sensor", "last_caller"),
         entity("Last caller", "last_caller")
             .AddString("state_topic", sPrefix + "/state")
             .AddString("value_template",
                        "{{ value_json.last_caller_name or value_json.last_caller_number }}")
             .Text()},
        {topic("sensor", "unheard"), entity("Unheard messages", "unheard")
                                         .AddString("state_topic", sPrefix + "/state")
                                         .AddString("value_template", "{{ value_json.unheard }}")
                                         .Text()},
    };
    if (bCommands)
        configs.push_back({topic("button", "block_last_caller"),
                           entity("Block the last caller", "block_last_caller")
                               .AddString("command_topic", CommandTopic(sPrefix, kBlockWord))
                               .Text()});
    return configs;
}

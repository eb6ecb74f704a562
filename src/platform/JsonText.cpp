#include "platform/JsonText.h"

#include "platform/TextUtil.h"

#include <algorithm>

std::string JsonString(std::string_view s, size_t nMaxBytes) {
    std::string out = "\"";
    for (size_t i = 0; i < s.size();) {
        const size_t len = Utf8SequenceLength(s, i);
        if (i + std::max<size_t>(len, 1) > nMaxBytes)
            break;
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (len == 0)
            out += "\\ufffd";
        else if (c == '"' || c == '\\')
            out += {'\\', static_cast<char>(c)};
        else if (c < 0x20 || c == 0x7F)
            out += StrPrintf("\\u%04x", c);
        else
            out.append(s.substr(i, len));
        i += std::max<size_t>(len, 1);
    }
    return out + "\"";
}

CJsonObject& CJsonObject::Add(std::string_view key, const std::string& valueText) {
    if (!m_members.empty())
        m_members += ",";
    m_members += JsonString(key, key.size()) + ":" + valueText;
    return *this;
}

CJsonObject& CJsonObject::AddString(std::string_view key, std::string_view value) {
    return Add(key, JsonString(value, m_nMaxString));
}

CJsonObject& CJsonObject::AddNumber(std::string_view key, int64_t value) {
    return Add(key, std::to_string(value));
}

CJsonObject& CJsonObject::AddBool(std::string_view key, bool value) {
    return Add(key, value ? "true" : "false");
}

CJsonObject& CJsonObject::AddObject(std::string_view key, const CJsonObject& value) {
    return Add(key, value.Text());
}

CJsonObject& CJsonObject::AddStrings(std::string_view key, const std::vector<std::string>& values) {
    std::string list;
    for (const std::string& v : values)
        list += (list.empty() ? "" : ",") + JsonString(v, m_nMaxString);
    return Add(key, "[" + list + "]");
}

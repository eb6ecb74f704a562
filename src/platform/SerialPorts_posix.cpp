#include "platform/SerialPorts.h"

#include "platform/FileUtil.h"
#include "platform/ProfileFile.h"
#include "platform/ProgramFolder.h"
#include "platform/TextUtil.h"

#include <algorithm>
#include <filesystem>
#include <set>

namespace fs = std::filesystem;

namespace {

constexpr const char* kSection = "Ports";
constexpr int kFirstFreeNumber = 3;

bool StartsWith(const std::string& s, const char* prefix) {
    return s.rfind(prefix, 0) == 0;
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    return ec ? path : p.string();
}

// A ttyS device has a UART behind it when the kernel reports a port type.
bool UartPresent(const std::string& sysRoot, const std::string& name) {
    auto type = ReadWholeFile(sysRoot + "/" + name + "/type", 64);
    return type && ProfileFile::ParseInt(*type) != 0;
}

// ttyS<k> -> k, else -1.
int UartIndex(const std::string& device) {
    std::string name = fs::path(Canonical(device)).filename().string();
    if (!StartsWith(name, "ttyS") || name.size() == 4)
        return -1;
    for (size_t i = 4; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9')
            return -1;
    return ProfileFile::ParseInt(name.substr(4));
}

} // namespace

std::string ComPortName(int n) {
    return StrPrintf("COM%d", n);
}

std::string ComPortDevice(int n) {
    return GetProfileStringFrom(GetSettingsPath(), kSection, ComPortName(n), "");
}

bool SetComPortDevice(int n, const std::string& device) {
    return WriteProfileStringTo(GetSettingsPath(), kSection, ComPortName(n), device);
}

std::map<int, std::string> ReadComPortTable() {
    std::map<int, std::string> table;
    ProfileFile ini(GetSettingsPath());
    for (const std::string& key : ini.Keys(kSection)) {
        if (key.size() < 4 || !EqualsNoCase(key.substr(0, 3), "COM"))
            continue;
        int n = ProfileFile::ParseInt(key.substr(3));
        std::string dev = ini.GetString(kSection, key, "");
        if (n >= 1 && n <= kMaxComPort && !dev.empty() && !table.count(n))
            table[n] = dev;
    }
    return table;
}

std::vector<std::string> FindSerialDevices(const std::string& devRoot, const std::string& sysRoot) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(devRoot, ec)) {
        std::string name = e.path().filename().string();
        if (StartsWith(name, "ttyACM") || StartsWith(name, "ttyUSB"))
            found.push_back(e.path().string());
        else if (StartsWith(name, "ttyS") && UartIndex(e.path().string()) >= 0 &&
                 UartPresent(sysRoot, name))
            found.push_back(e.path().string());
    }
    // USB devices by their stable name, when udev gives them one.
    std::map<std::string, std::string> byId;
    for (const fs::directory_entry& e : fs::directory_iterator(devRoot + "/serial/by-id", ec))
        byId[Canonical(e.path().string())] = e.path().string();
    for (std::string& dev : found) {
        auto it = byId.find(Canonical(dev));
        if (it != byId.end())
            dev = it->second;
    }
    std::sort(found.begin(), found.end());
    return found;
}

std::map<int, std::string> AssignComNumbers(std::map<int, std::string> table,
                                            const std::vector<std::string>& devices) {
    std::set<std::string> known;
    for (const auto& [n, dev] : table) {
        known.insert(dev);
        known.insert(Canonical(dev));
    }
    std::vector<std::string> fresh;
    for (const std::string& dev : devices)
        if (!known.count(dev) && !known.count(Canonical(dev)))
            fresh.push_back(dev);
    // The board's UARTs first, so that they take their traditional numbers.
    std::stable_partition(fresh.begin(), fresh.end(),
                          [](const std::string& d) { return UartIndex(d) >= 0; });
    for (const std::string& dev : fresh) {
        int k = UartIndex(dev);
        int n = (k >= 0 && k + 1 <= kMaxComPort && !table.count(k + 1)) ? k + 1 : 0;
        for (int m = kFirstFreeNumber; n == 0 && m <= kMaxComPort; ++m)
            if (!table.count(m))
                n = m;
        if (n == 0)
            break; // table full
        table[n] = dev;
    }
    return table;
}

std::vector<int> ScanSerialPorts(std::string* sError) {
    std::map<int, std::string> before = ReadComPortTable();
    std::map<int, std::string> after = AssignComNumbers(before, FindSerialDevices());
    if (after != before) {
        ProfileFile ini(GetSettingsPath());
        for (const auto& [n, dev] : after)
            ini.WriteString(kSection, ComPortName(n), dev);
        if (!ini.Save() && sError)
            *sError = ini.Path() + ": " + ini.SaveError();
    }
    return ListComPorts();
}

std::vector<int> ListComPorts() {
    std::vector<int> ports;
    std::error_code ec;
    for (const auto& [n, dev] : ReadComPortTable())
        if (fs::exists(dev, ec))
            ports.push_back(n);
    return ports;
}

#include "adapter/AdapterInputs.h"

#include "adapter/GenericAdapterLayer.h"
#include "platform/FileUtil.h"
#include "platform/TextUtil.h"

#include <cerrno>
#include <climits>
#include <filesystem>
#include <linux/input.h>
#include <map>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// sysfs files here are a line or two; anything longer is not one.
constexpr size_t kMaxSysfsText = 4096;

std::string SysfsText(const std::string& path) {
    return Trim(ReadWholeFile(path, kMaxSysfsText).value_or(""));
}

// The number of "event<N>", or -1 for any other name.
int EventNumber(const std::string& name) {
    if (name.rfind("event", 0) != 0 || name.size() == 5)
        return -1;
    int n = 0;
    for (char c : name.substr(5)) {
        if (c < '0' || c > '9' || n > 100000)
            return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

std::string Canonical(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    return ec ? path : p.string();
}

} // namespace

namespace {

bool IsAdapterKey(unsigned code) {
    return AdapterEventOfInput(EV_KEY, code, 1).nCode != 0;
}

} // namespace

bool ReportsAdapterKeys(const std::string& keyBitmap) {
    return ReportsAnyKey(keyBitmap, IsAdapterKey);
}

bool IsHookButtonKey(unsigned code) {
    return code == KEY_PHONE || code == KEY_PICKUP_PHONE || code == KEY_HANGUP_PHONE ||
           code == KEY_PLAYPAUSE || code == KEY_MEDIA;
}

bool ReadInputEvents(int fd, const InputEventSink& onEvent) {
    // One read: what is left wakes the caller's poll again.
    input_event ev[16];
    ssize_t got = ::read(fd, ev, sizeof ev);
    while (got < 0 && errno == EINTR)
        got = ::read(fd, ev, sizeof ev);
    if (got < 0 && errno == EAGAIN)
        return true;
    if (got <= 0)
        return false;
    for (size_t i = 0; i < static_cast<size_t>(got) / sizeof(input_event); ++i)
        onEvent(ev[i].type, ev[i].code, ev[i].value);
    return true;
}

bool ReportsAnyKey(const std::string& keyBitmap, const WantedKey& wanted) {
    std::vector<std::string> words;
    std::istringstream in(keyBitmap);
    for (std::string w; in >> w;)
        words.push_back(w);
    constexpr unsigned kBitsPerWord = sizeof(unsigned long) * CHAR_BIT;
    for (size_t i = 0; i < words.size(); ++i) {
        unsigned long bits = 0;
        try {
            bits = std::stoul(words[i], nullptr, 16);
        } catch (const std::logic_error&) {
            return false; // not a bitmap
        }
        const size_t wordIndex = words.size() - 1 - i; // the first word is the highest
        for (unsigned b = 0; b < kBitsPerWord; ++b)
            if ((bits >> b) & 1UL) {
                const size_t code = wordIndex * kBitsPerWord + b;
                if (code <= KEY_MAX && wanted(static_cast<unsigned>(code)))
                    return true;
            }
    }
    return false;
}

std::vector<AdapterInputDevice> ListAdapterInputs(const InputFolders& folders) {
    return ListInputsReporting(IsAdapterKey, folders);
}

std::vector<AdapterInputDevice> ListInputsReporting(const WantedKey& wanted,
                                                    const InputFolders& folders) {
    // Stable names first: udev's by-id links, by the device they point at.
    std::map<std::string, std::string> byId;
    std::error_code ec;
    for (const fs::directory_entry& e : fs::directory_iterator(folders.sDev + "by-id", ec))
        byId[Canonical(e.path().string())] = e.path().string();

    std::map<int, AdapterInputDevice> found;
    for (const fs::directory_entry& e : fs::directory_iterator(folders.sSysClass, ec)) {
        const std::string name = e.path().filename().string();
        const int n = EventNumber(name);
        if (n < 0)
            continue;
        const std::string device = e.path().string() + "/device/";
        if (!ReportsAnyKey(SysfsText(device + "capabilities/key"), wanted))
            continue;
        AdapterInputDevice d;
        d.sEventPath = folders.sDev + name;
        d.sName = SysfsText(device + "name");
        auto link = byId.find(Canonical(d.sEventPath));
        d.sPath = link != byId.end() ? link->second : d.sEventPath;
        found[n] = d;
    }
    std::vector<AdapterInputDevice> list;
    for (auto& [n, d] : found)
        list.push_back(std::move(d));
    return list;
}

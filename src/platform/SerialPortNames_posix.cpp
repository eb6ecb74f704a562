#include "platform/SerialPortNames.h"

#include "platform/FileUtil.h"
#include "platform/PortAccess.h"
#include "platform/SerialPorts.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

// Attribute files hold one short line; anything longer is not a name.
constexpr size_t kAttributeLimit = 256;

std::string Canonical(const std::string& path) {
    std::error_code ec;
    fs::path p = fs::canonical(path, ec);
    return ec ? path : p.string();
}

// One line of a sysfs attribute, trimmed; "" when missing. The text comes
// from the device itself, so only printable ASCII is kept.
std::string Attribute(const fs::path& file) {
    auto text = ReadWholeFile(file.string(), kAttributeLimit);
    if (!text)
        return "";
    std::string out;
    for (char c : *text) {
        if (c == '\n' || c == '\0')
            break;
        if (c >= 0x20 && c < 0x7f)
            out += c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    while (!out.empty() && out.front() == ' ')
        out.erase(out.begin());
    return out;
}

// The name the by-id link gives the device, "" when there is none.
std::string ByIdName(const std::string& device) {
    const std::string byId = "/dev/serial/by-id/";
    if (device.rfind(byId, 0) == 0)
        return device.substr(byId.size());
    return "";
}

} // namespace

std::string DescribeSerialDevice(const std::string& device, const std::string& sysRoot) {
    const std::string real = Canonical(device);
    const std::string name = fs::path(real).filename().string();
    // The tty's "device" is the USB interface; the USB device with its
    // strings is the folder above it.
    const fs::path usb = fs::path(sysRoot) / name / "device" / "..";
    const std::string maker = Attribute(usb / "manufacturer");
    const std::string model = Attribute(usb / "product");
    if (!maker.empty() || !model.empty())
        return maker.empty() ? model : model.empty() ? maker : maker + " " + model;
    const std::string vendorId = Attribute(usb / "idVendor");
    const std::string productId = Attribute(usb / "idProduct");
    if (!vendorId.empty() && !productId.empty())
        return "USB device " + vendorId + ":" + productId;
    if (std::string id = ByIdName(device); !id.empty())
        return id;
    if (real.rfind("/dev/pts/", 0) == 0)
        return "Pseudo-terminal";
    return "Serial port";
}

std::string SerialPortLabel(int nPort, const std::string& device, const std::string& sysRoot) {
    return ComPortName(nPort) + " \u2014 " + DescribeSerialDevice(device, sysRoot) + " (" +
           Canonical(device) + ")";
}

std::vector<SerialPortChoice> ListSerialPortChoices() {
    std::vector<SerialPortChoice> choices;
    const std::vector<int> present = ScanSerialPorts();
    const std::map<int, std::string> table = ReadComPortTable();
    for (int n : present) {
        auto it = table.find(n);
        if (it == table.end())
            continue;
        // A port this user may not open says how to get the right to.
        std::string label = SerialPortLabel(n, it->second);
        if (std::string hint = PortAccessHint(it->second); !hint.empty())
            label += " — no permission: " + hint;
        choices.push_back({n, it->second, label});
    }
    return choices;
}

#include "app/AdapterChoices.h"

#include "audio/SoundBackend.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kNotPresent = " - not present";

// Keeps the value in use choosable when the list lacks it.
void KeepCurrent(std::vector<AdapterChoice>& list, const std::string& current) {
    if (current.empty())
        return;
    auto same = [&](const AdapterChoice& c) { return c.sValue == current; };
    if (std::none_of(list.begin(), list.end(), same))
        list.push_back({current, current + kNotPresent});
}

} // namespace

bool SoundCardListed(ISoundBackend& backend, const std::string& card) {
    for (bool bCapture : {true, false}) {
        const std::vector<SoundDeviceInfo> devices = backend.ListDevices(bCapture);
        if (std::none_of(devices.begin(), devices.end(), [&](const SoundDeviceInfo& d) {
                return d.sName == card || d.sDescription == card;
            }))
            return false;
    }
    return true;
}

std::vector<AdapterChoice> AdapterSoundCardChoices(ISoundBackend& backend,
                                                   const std::string& current) {
    return SoundCardChoices(backend, current, "None chosen");
}

std::vector<AdapterChoice> TalkSoundCardChoices(ISoundBackend& backend,
                                                const std::string& current) {
    return SoundCardChoices(backend, current, "the desktop's default");
}

std::vector<AdapterChoice> SoundCardChoices(ISoundBackend& backend, const std::string& current,
                                            const std::string& sNone) {
    std::vector<AdapterChoice> list{{"", sNone}};
    for (const SoundDeviceInfo& d : backend.ListDevices(true))
        list.push_back({d.sName, d.sDescription.empty() ? d.sName : d.sDescription});
    // A setting written by hand may name the card by its description.
    auto it = std::find_if(list.begin(), list.end(),
                           [&](const AdapterChoice& c) { return c.sText == current; });
    if (!current.empty() && it != list.end() &&
        std::none_of(list.begin(), list.end(),
                     [&](const AdapterChoice& c) { return c.sValue == current; }))
        it->sValue = current;
    KeepCurrent(list, current);
    return list;
}

std::vector<AdapterChoice> AdapterInputChoices(const std::vector<AdapterInputDevice>& found,
                                               const std::string& current) {
    std::vector<AdapterChoice> list{{"", "None"}};
    for (const AdapterInputDevice& d : found) {
        // The setting may hold either name of the device.
        const std::string value = current == d.sEventPath ? d.sEventPath : d.sPath;
        list.push_back({value, (d.sName.empty() ? d.sPath : d.sName) + " (" + d.sEventPath + ")"});
    }
    KeepCurrent(list, current);
    return list;
}

std::string AdapterInputNote(const std::string& input) {
    if (!input.empty())
        return "The input device reports the ring, the local phone's handset being lifted and "
               "put down, and the keys of its keypad. Caller ID, the keys the caller presses, and "
               "the dial, busy and fax tones are heard in the line's sound.";
    return "Without an input device Vorella does not see the ring, the local phone's handset "
           "being lifted or put down, or the keys of its keypad: calls are not announced or "
           "answered by the machine, and lifting the handset does not start a recording. Caller "
           "ID, the keys the caller presses, and the dial, busy and fax tones still come from "
           "the line's sound.";
}

std::string AdapterSimulatedNote() {
    const char* socket = std::getenv("VORELLA_ADAPTER_SOCKET");
    if (!socket || !*socket)
        return "";
    return std::string("The simulated adapter on ") + socket +
           " (VORELLA_ADAPTER_SOCKET) is used instead of these choices.";
}

std::vector<std::string> AdapterChoiceWarnings(ISoundBackend& backend, const std::string& soundCard,
                                               const std::string& input) {
    std::vector<std::string> warnings;
    if (!AdapterSimulatedNote().empty())
        return warnings;
    if (soundCard.empty())
        warnings.push_back("No sound card is chosen for the USB telephone adapter: Vorella "
                           "finds no adapter until one is.");
    else if (!SoundCardListed(backend, soundCard))
        warnings.push_back("The sound card " + soundCard +
                           " is not there now: the USB telephone adapter opens once it is "
                           "plugged in.");
    if (!input.empty()) {
        const int fd = ::open(input.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0)
            ::close(fd);
        else if (errno == ENOENT || errno == ENODEV || errno == ENXIO)
            warnings.push_back("The input device " + input +
                               " is not there now: the USB telephone adapter opens once it is "
                               "plugged in.");
        else if (errno == EACCES || errno == EPERM)
            warnings.push_back("Vorella may not read the input device " + input +
                               ". Add yourself to the group \"input\" (sudo adduser \"$USER\" "
                               "input) and log in again.");
        else
            warnings.push_back("The input device " + input +
                               " cannot be opened: " + std::strerror(errno));
    }
    return warnings;
}

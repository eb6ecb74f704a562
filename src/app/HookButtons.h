// A headset's hook button and the media keys, on a line that can talk at
// the PC: the input devices under /dev/input that report one of those keys
// (IsHookButtonKey) are read by the window's loop, which waits on them with
// its control socket (ControlServer::Watch); each press of such a key is
// handed to onPress. A device that cannot be read (no permission) is told
// once in the log and left alone; one that goes away is let go.
#pragma once

#include "adapter/AdapterInputs.h"
#include "app/TalkRules.h"

#include <functional>
#include <set>
#include <string>
#include <vector>

class ControlServer;

class CHookButtons {
public:
    using Log = std::function<void(const std::string&)>;
    CHookButtons(ControlServer& loop, std::function<void(HookPress)> onPress, Log log);
    ~CHookButtons();
    CHookButtons(const CHookButtons&) = delete;
    CHookButtons& operator=(const CHookButtons&) = delete;

    // Opens the devices found in folders, unless open already.
    void Open(const InputFolders& folders = {});
    // Reads fd (a device, or a pipe or file of struct input_event records)
    // from now on, and closes it when done.
    void Add(int fd);
    void Close();
    bool IsOpen() const { return m_bOpen; }
    size_t Count() const { return m_fds.size(); }

    // What a key press asks for; nullopt for any other event.
    static std::optional<HookPress> PressOf(unsigned type, unsigned code, int value);

private:
    void OnReady(int fd);
    void Remove(int fd);

    ControlServer& m_loop;
    std::function<void(HookPress)> m_onPress;
    Log m_log;
    bool m_bOpen = false;
    std::vector<int> m_fds;
    std::set<std::string> m_told; // devices told unreadable, once each
};

#include "app/HookButtons.h"

#include "platform/ControlSocket.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

CHookButtons::CHookButtons(ControlServer& loop, std::function<void(HookPress)> onPress, Log log)
    : m_loop(loop), m_onPress(std::move(onPress)), m_log(std::move(log)) {}

CHookButtons::~CHookButtons() {
    Close();
}

std::optional<HookPress> CHookButtons::PressOf(unsigned type, unsigned code, int value) {
    // Presses only, not releases or repeats.
    if (type != EV_KEY || value != 1 || !IsHookButtonKey(code))
        return std::nullopt;
    if (code == KEY_PICKUP_PHONE)
        return HookPress::PickUp;
    if (code == KEY_HANGUP_PHONE)
        return HookPress::HangUp;
    return HookPress::Toggle;
}

void CHookButtons::Open(const InputFolders& folders) {
    if (m_bOpen)
        return;
    m_bOpen = true;
    for (const AdapterInputDevice& d : ListInputsReporting(IsHookButtonKey, folders)) {
        const int fd = ::open(d.sEventPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            Add(fd);
            continue;
        }
        const int err = errno;
        if (!m_told.insert(d.sEventPath).second)
            continue;
        if (err == EACCES || err == EPERM)
            m_log("The buttons of " + d.sName + " (" + d.sEventPath +
                  ") are not used: Vorella may not read it. Add yourself to the group "
                  "\"input\" (sudo adduser \"$USER\" input) and log in again to answer and hang "
                  "up with them.");
        else
            m_log("The buttons of " + d.sName + " (" + d.sEventPath +
                  ") are not used: " + std::strerror(err));
    }
}

void CHookButtons::Add(int fd) {
    m_bOpen = true;
    m_fds.push_back(fd);
    m_loop.Watch(fd, [this, fd] { OnReady(fd); });
}

void CHookButtons::Close() {
    while (!m_fds.empty())
        Remove(m_fds.back());
    m_bOpen = false;
}

void CHookButtons::Remove(int fd) {
    m_loop.Unwatch(fd);
    ::close(fd);
    m_fds.erase(std::remove(m_fds.begin(), m_fds.end(), fd), m_fds.end());
}

void CHookButtons::OnReady(int fd) {
    std::vector<HookPress> presses;
    const bool alive = ReadInputEvents(fd, [&](unsigned type, unsigned code, int value) {
        if (std::optional<HookPress> p = PressOf(type, code, value))
            presses.push_back(*p);
    });
    // Unplugged: its buttons are simply absent from now on.
    if (!alive)
        Remove(fd);
    for (HookPress p : presses)
        m_onPress(p);
}

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
    // Those that cannot be read are told in one line, each device once.
    std::string denied, failed;
    for (const AdapterInputDevice& d : ListInputsReporting(IsHookButtonKey, folders)) {
        const int fd = ::open(d.sEventPath.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            Add(fd);
            continue;
        }
        const int err = errno;
        if (!m_told.insert(d.sEventPath).second)
            continue;
        const std::string device = d.sName + " (" + d.sEventPath + ")";
        if (err == EACCES || err == EPERM)
            denied += (denied.empty() ? "" : ", ") + device;
        else
            failed += (failed.empty() ? "" : ", ") + device + ": " + std::strerror(err);
    }
    if (!denied.empty())
        m_log("Vorella may not read " + denied +
              ", so its buttons do not answer or hang up calls. To use them, add yourself to "
              "the group \"input\" (sudo adduser \"$USER\" input) and log in again.");
    if (!failed.empty())
        m_log("The buttons of these devices do not answer or hang up calls: " + failed);
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

// Writes struct input_event records as an evdev device would give them, to
// a pipe that stands in for the device.
#pragma once

#include <gtest/gtest.h>
#include <linux/input.h>
#include <unistd.h>

inline void SendInput(int fd, unsigned type, unsigned code, int value) {
    input_event ev{};
    ev.type = static_cast<uint16_t>(type);
    ev.code = static_cast<uint16_t>(code);
    ev.value = value;
    ASSERT_EQ(::write(fd, &ev, sizeof ev), static_cast<ssize_t>(sizeof ev));
}

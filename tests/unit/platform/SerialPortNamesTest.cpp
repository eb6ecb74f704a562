// The names the serial ports are offered by, over a made-up /dev and /sys.
#include "platform/SerialPortNames.h"

#include "TempHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class SerialPortNames : public ::testing::Test {
protected:
    // A tty whose device folder is an interface of a USB device with the
    // given attribute files, linked the way the kernel links it.
    void UsbTty(const std::string& tty, const std::map<std::string, std::string>& attributes) {
        const std::string usb = "sys/devices/usb1/1-" + tty;
        home.Write(usb + "/" + tty + ":1.0/interface", "Modem\n");
        for (const auto& [name, value] : attributes)
            home.Write(usb + "/" + name, value);
        fs::create_directories(home.File("sys/class/tty/" + tty));
        fs::create_symlink(home.File(usb + "/" + tty + ":1.0"),
                           home.File("sys/class/tty/" + tty + "/device"));
        home.Write("dev/" + tty, "");
    }
    std::string Sys() const { return home.File("sys/class/tty"); }

    TempHome home;
};

TEST_F(SerialPortNames, AUsbModemIsNamedByItsMakerAndModel) {
    UsbTty("ttyACM0", {{"manufacturer", "U.S. Robotics\n"},
                       {"product", "USB Modem\n"},
                       {"idVendor", "0baf\n"},
                       {"idProduct", "0303\n"}});
    const std::string dev = home.File("dev/ttyACM0");
    EXPECT_EQ(DescribeSerialDevice(dev, Sys()), "U.S. Robotics USB Modem");
    EXPECT_EQ(SerialPortLabel(3, dev, Sys()), "COM3 \u2014 U.S. Robotics USB Modem (" + dev + ")");
}

TEST_F(SerialPortNames, WithoutNamesTheIdsOrTheKindAreShown) {
    UsbTty("ttyUSB0", {{"idVendor", "067b\n"}, {"idProduct", "2303\n"}});
    UsbTty("ttyUSB1", {{"product", "Modem\n"}});
    EXPECT_EQ(DescribeSerialDevice(home.File("dev/ttyUSB0"), Sys()), "USB device 067b:2303");
    EXPECT_EQ(DescribeSerialDevice(home.File("dev/ttyUSB1"), Sys()), "Modem");
    home.Write("dev/ttyS0", "");
    EXPECT_EQ(DescribeSerialDevice(home.File("dev/ttyS0"), Sys()), "Serial port");
}

TEST_F(SerialPortNames, WhatTheDeviceSaysIsCutToOnePrintableLine) {
    UsbTty("ttyACM1", {{"manufacturer", "Evil\x1b[2J\tCorp\nsecond line\n"},
                       {"product", std::string(1000, 'x')}});
    const std::string name = DescribeSerialDevice(home.File("dev/ttyACM1"), Sys());
    EXPECT_EQ(name, "Evil[2JCorp") << "a name longer than a line is no name";
}

TEST_F(SerialPortNames, TheTableListsThePortsPresentWithTheirNames) {
    home.Write("pty", "");
    home.Write("vorella.ini", "[Ports]\nCOM9=" + home.File("pty") + "\nCOM4=/dev/nothing-here\n");
    bool found = false;
    for (const SerialPortChoice& c : ListSerialPortChoices()) {
        EXPECT_NE(c.nPort, 4) << "a device that is not there is not offered";
        if (c.nPort == 9) {
            found = true;
            EXPECT_EQ(c.sDevice, home.File("pty"));
            EXPECT_EQ(c.sLabel.rfind("COM9 \u2014 ", 0), 0u) << c.sLabel;
        }
    }
    EXPECT_TRUE(found);
}

} // namespace

// Names a person recognises for the serial ports of the "Ports" table: the
// COM number, the device's maker and model as the USB device reports them
// (or its /dev/serial/by-id name), and the device file, as in
// "COM3 — U.S. Robotics USB Modem (/dev/ttyACM0)".
#pragma once

#include <string>
#include <vector>

struct SerialPortChoice {
    int nPort = 0;
    std::string sDevice; // as the table holds it
    std::string sLabel;
};

// What the device is: "maker model" from the USB device behind the tty,
// else its idVendor:idProduct, else its /dev/serial/by-id name, else a kind
// ("Serial port", "Pseudo-terminal"). sysRoot is "/sys/class/tty" except in
// tests.
std::string DescribeSerialDevice(const std::string& device,
                                 const std::string& sysRoot = "/sys/class/tty");

// "COM<n> — <description> (<device file>)".
std::string SerialPortLabel(int nPort, const std::string& device,
                            const std::string& sysRoot = "/sys/class/tty");

// Scans the serial devices (new ones get numbers in the table) and lists
// the ports whose device is present, by number. The label of a port this
// user may not open ends in what to do about it (PortAccessHint).
std::vector<SerialPortChoice> ListSerialPortChoices();

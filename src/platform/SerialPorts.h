// COM port numbers and the serial devices behind them.
//
// The program names ports by number (COM1 ... COM255), as its settings and
// its users do. The settings section "Ports" ties each number to a device
// ("COM3=/dev/ttyACM0"); the port scan fills it from the devices present and
// never renumbers a device it already knows, so that the port a user picked
// stays the same device across reboots and re-plugging (USB modems are stored
// by their /dev/serial/by-id/ name where udev provides one).
#pragma once

#include <map>
#include <string>
#include <vector>

constexpr int kMaxComPort = 255;

// "COM%d".
std::string ComPortName(int n);
// The device for port n from the settings, "" when the number is not mapped.
std::string ComPortDevice(int n);
// Maps port n to a device in the settings (a test points a number at a pty).
bool SetComPortDevice(int n, const std::string& device);
// The whole table from the settings, by number.
std::map<int, std::string> ReadComPortTable();

// Serial devices present: USB modems (ttyACM*, ttyUSB*) and real UARTs
// (ttyS* with hardware behind them). devRoot and sysRoot are "/dev" and
// "/sys/class/tty" except in tests.
std::vector<std::string> FindSerialDevices(const std::string& devRoot = "/dev",
                                           const std::string& sysRoot = "/sys/class/tty");

// Numbers for newly found devices, keeping every known mapping: ttyS<k> takes
// COM<k+1> when free; anything else the lowest free number from 3 up (1 and
// 2 stay for the board's own UARTs). Returns the new table.
std::map<int, std::string> AssignComNumbers(std::map<int, std::string> table,
                                            const std::vector<std::string>& devices);

// Finds the devices present, numbers the new ones, writes the table to the
// settings, and returns the numbers whose device exists now, ascending. When
// the table could not be written, sError (when given) says which file and why
// (the numbers hold until the program ends).
std::vector<int> ScanSerialPorts(std::string* sError = nullptr);
// The numbers of the table whose device exists now, ascending.
std::vector<int> ListComPorts();

#pragma once
// Which device a user-visible port name stands for, and how to tell the user why it did not open.

#include <string>
#include <string_view>
#include <vector>

#include "Link.h"

namespace vantrel {

// On Windows the name itself. Elsewhere "COM<n>" is the device named by the environment variable
// VANTREL_COM<n> when it is set and not empty, else /dev/ttyS<n-1>; any other name is used as it
// is.
std::string DeviceForPort(std::string_view name);

// For "COM<n>", where its device comes from: "COM2 is /dev/ttyS1 (VANTREL_COM2 is not set)";
// empty for any other name.
std::string DescribePort(std::string_view name);

// The reason that goes with "Can't open the COM port!": the device and the system's words, with
// the remedy for a refused permission, the holder of a busy device, and the serial devices
// there are (`devices`) when it is missing. Empty when nothing is known.
std::string PortFailureReason(std::string_view name, const PortFailure& failure,
                              const std::vector<std::string>& devices);

// A serial device the system lists.
struct SerialDeviceInfo {
    std::string path;         // "/dev/ttyUSB0"
    std::string byId;         // its stable name, "/dev/serial/by-id/usb-FTDI_...", or empty
    std::string description;  // "FT232R USB UART", or empty
    std::string maker;        // "FTDI", or empty
};

// One entry of the port list.
struct PortChoice {
    std::string label;   // "COM1 — /dev/ttyS0", "/dev/ttyUSB0 — FT232R USB UART (FTDI)"
    int portIndex = -1;  // 0..5 for COM1..COM6, -1 for a device
    std::string device;  // the device of a device entry; empty for COM1..COM6
};

// COM1..COM6, each with the device it stands for, then every device in `devices`.
std::vector<PortChoice> ListPortChoices(const std::vector<SerialDeviceInfo>& devices);

// What a typed or chosen port field means: an entry's label is that entry; "COM<n>" for n in
// 1..6 is that port; any other text, blanks around it dropped, is a device path. An empty field
// is COM1.
PortChoice ChoiceForText(std::string_view text, const std::vector<PortChoice>& choices);

// The symbolic links in `dir` (such as /dev/serial/by-id) that lead to `device`, as full paths;
// the first one, or empty when none does.
std::string LinkTo(const std::string& device, const std::string& dir);

}  // namespace vantrel

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

}  // namespace vantrel

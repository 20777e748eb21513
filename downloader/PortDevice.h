#pragma once
// Which device a user-visible port name stands for.

#include <string>
#include <string_view>

namespace vantrel {

// On Windows the name itself. Elsewhere "COM<n>" is the device named by the environment variable
// VANTREL_COM<n> when it is set and not empty, else /dev/ttyS<n-1>; any other name is used as it
// is.
std::string DeviceForPort(std::string_view name);

}  // namespace vantrel

#include "PortDevice.h"

#include <cstdlib>

namespace vantrel {

std::string DeviceForPort(std::string_view name) {
#ifdef _WIN32
    return std::string(name);
#else
    constexpr std::string_view prefix = "COM";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) {
        return std::string(name);
    }
    int number = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9' || number > 1000) return std::string(name);
        number = number * 10 + (c - '0');
    }
    if (number < 1) return std::string(name);
    const std::string variable = "VANTREL_" + std::string(name);
    if (const char* device = std::getenv(variable.c_str()); device && *device) return device;
    return "/dev/ttyS" + std::to_string(number - 1);
#endif
}

}  // namespace vantrel

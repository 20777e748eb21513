#include "PortDevice.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <system_error>

namespace vantrel {

namespace {

// The n of "COM<n>" (1 or more), or nullopt for any other name.
std::optional<int> ComNumber(std::string_view name) {
    constexpr std::string_view prefix = "COM";
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) {
        return std::nullopt;
    }
    int number = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9' || number > 1000) return std::nullopt;
        number = number * 10 + (c - '0');
    }
    if (number < 1) return std::nullopt;
    return number;
}

std::string JoinNames(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names) {
        if (!out.empty()) out += ", ";
        out += n;
    }
    return out;
}

}  // namespace

std::string DeviceForPort(std::string_view name) {
#ifdef _WIN32
    return std::string(name);
#else
    const std::optional<int> number = ComNumber(name);
    if (!number) return std::string(name);
    const std::string variable = "VANTREL_" + std::string(name);
    if (const char* device = std::getenv(variable.c_str()); device && *device) return device;
    return "/dev/ttyS" + std::to_string(*number - 1);
#endif
}

std::string DescribePort(std::string_view name) {
#ifdef _WIN32
    (void)name;
    return {};
#else
    if (!ComNumber(name)) return {};
    const std::string variable = "VANTREL_" + std::string(name);
    const char* value = std::getenv(variable.c_str());
    const std::string is = std::string(name) + " is " + DeviceForPort(name);
    if (!value) return is + " (" + variable + " is not set)";
    if (!*value) return is + " (" + variable + " is set but empty)";
    return is + " (from " + variable + ")";
#endif
}

std::string PortFailureReason(std::string_view name, const PortFailure& failure,
                              const std::vector<std::string>& devices) {
    const std::string device = failure.device.empty() ? DeviceForPort(name) : failure.device;
    std::string reason;
    switch (failure.problem) {
        case PortProblem::Unknown:
            return {};
        case PortProblem::Missing:
            reason = device + " does not exist. ";
            reason += devices.empty() ? "No serial devices were found on this machine."
                                      : "Serial devices here: " + JoinNames(devices) + ".";
            break;
        case PortProblem::PermissionDenied: {
            const std::string group = failure.group.empty() ? "dialout" : failure.group;
            reason = device + ": Permission denied. Add your user to the " + group +
                     " group: sudo usermod -aG " + group + " $USER, then log in again.";
            break;
        }
        case PortProblem::Busy:
            reason = device + " is in use by another program";
            if (!failure.holder.empty()) reason += " (" + failure.holder + ")";
            reason += ".";
            break;
        case PortProblem::NotSerial:
            reason = device + " is not a serial line (" + failure.systemText + ").";
            break;
        case PortProblem::Other:
            reason = device + ": " + failure.systemText + ".";
            break;
    }
    if (const std::string where = DescribePort(name); !where.empty()) {
        reason += " " + where + ".";
    }
    return reason;
}

std::vector<PortChoice> ListPortChoices(const std::vector<SerialDeviceInfo>& devices) {
    std::vector<PortChoice> choices;
    for (int i = 0; i < kPortCount; ++i) {
        const std::string name = "COM" + std::to_string(i + 1);
        PortChoice choice;
#ifdef _WIN32
        choice.label = name;
#else
        choice.label = name + " — " + DeviceForPort(name);
#endif
        choice.portIndex = i;
        choices.push_back(choice);
    }
    for (const SerialDeviceInfo& info : devices) {
        PortChoice choice;
        choice.device = info.path;
        choice.label = info.path;
        if (!info.description.empty()) choice.label += " — " + info.description;
        if (!info.maker.empty()) choice.label += " (" + info.maker + ")";
        if (!info.byId.empty()) choice.label += " — " + info.byId;
        choices.push_back(choice);
    }
    return choices;
}

PortChoice ChoiceForText(std::string_view text, const std::vector<PortChoice>& choices) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    for (const PortChoice& choice : choices) {
        if (choice.label == text) return choice;
    }
    PortChoice typed;
    typed.label = std::string(text);
    if (text.empty()) {
        typed.portIndex = 0;
        return typed;
    }
    if (const std::optional<int> number = ComNumber(text); number && *number <= kPortCount) {
        typed.portIndex = *number - 1;
        return typed;
    }
    typed.device = std::string(text);
    return typed;
}

std::string LinkTo(const std::string& device, const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target = fs::canonical(device, ec);
    if (ec) return {};
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        std::error_code linkError;
        if (!it->is_symlink(linkError)) continue;
        if (fs::canonical(it->path(), linkError) == target && !linkError) {
            return it->path().string();
        }
    }
    return {};
}

}  // namespace vantrel

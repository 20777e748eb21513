#pragma once
// The outcome of an operation whose failure the user must be told about: success, or the message
// that says why not, exactly as it is to be shown. The operation reports; its caller shows.

#include <string>
#include <utility>

namespace pictoma {

class [[nodiscard]] Status {
public:
    Status() = default;  // success
    static Status Failure(std::string message) { return Status(std::move(message)); }

    bool ok() const { return !m_failed; }
    explicit operator bool() const { return ok(); }
    // The message of a failure (empty on success).
    const std::string& message() const { return m_message; }

private:
    explicit Status(std::string message) : m_message(std::move(message)), m_failed(true) {}

    std::string m_message;
    bool m_failed = false;
};

}  // namespace pictoma

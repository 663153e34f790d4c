// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <utility>

namespace orvane {

// How a file operation ended: success, or the system's error number (0 when
// the failure was not the system's, such as a file in a foreign format) and
// the message to show the user.
class [[nodiscard]] FileResult {
public:
    static FileResult Success() { return FileResult(); }
    static FileResult Failure(int error, std::string message) {
        FileResult r;
        r.m_ok = false;
        r.m_error = error;
        r.m_message = std::move(message);
        return r;
    }

    explicit operator bool() const { return m_ok; }
    bool Ok() const { return m_ok; }
    int Error() const { return m_error; }
    const std::string& Message() const { return m_message; }

private:
    FileResult() = default;

    bool m_ok = true;
    int m_error = 0;
    std::string m_message;
};

} // namespace orvane

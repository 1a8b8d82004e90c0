#pragma once
// An error reported by the JPEG library: its message code and the formatted
// message text (at most 255 characters).

#include <cstddef>
#include <exception>
#include <string>

namespace vardel {

class COXJPEGException : public std::exception {
public:
    static constexpr std::size_t kMaxMessage = 255;

    COXJPEGException(int code, std::string message)
        : m_code(code)
        , m_message(std::move(message))
    {
        if (m_message.size() > kMaxMessage)
            m_message.resize(kMaxMessage);
    }

    // The library's message code.
    int GetCode() const { return m_code; }
    const char* what() const noexcept override { return m_message.c_str(); }

    // Copies the message text, NUL-terminated and cut to fit, into buffer;
    // false when there is no room at all (max 0 or no buffer).
    bool GetErrorMessage(char* buffer, std::size_t max) const
    {
        if (buffer == nullptr || max == 0)
            return false;
        std::size_t n = m_message.size() < max - 1 ? m_message.size() : max - 1;
        m_message.copy(buffer, n);
        buffer[n] = '\0';
        return true;
    }

private:
    int m_code;
    std::string m_message;
};

}  // namespace vardel

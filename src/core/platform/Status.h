#pragma once

// What an operation came to: done, cancelled by the user, or failed with a system error number and words.

#include <string>
#include <utility>

namespace pellora {

class Status {
public:
    enum class Code { Ok, Failed, Cancelled };

    Status() = default;
    static Status Ok() { return {}; }
    static Status Cancelled() { return Status(Code::Cancelled, 0, "cancelled"); }
    // A failure in words; systemError is the errno value behind it, 0 when there is none.
    static Status Failure(std::string text, int systemError = 0)
    {
        return Status(Code::Failed, systemError, std::move(text));
    }
    // A failure of a system call: text, ": " and the system's words for systemError.
    static Status SystemFailure(const std::string& text, int systemError);

    bool ok() const { return m_code == Code::Ok; }
    bool cancelled() const { return m_code == Code::Cancelled; }
    Code code() const { return m_code; }
    int systemError() const { return m_systemError; }
    const std::string& text() const { return m_text; }

private:
    Status(Code code, int systemError, std::string text)
        : m_code(code)
        , m_systemError(systemError)
        , m_text(std::move(text))
    {
    }

    Code m_code = Code::Ok;
    int m_systemError = 0;
    std::string m_text;
};

// The system's words for an errno value.
std::string SystemErrorText(int systemError);

} // namespace pellora

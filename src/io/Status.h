#pragma once

#include <string>
#include <utility>

// What kind of failure a Status carries. Callers mostly need only the
// reason; the code is for those that act differently on a failed write or
// a stop the user asked for.
enum class StatusCode
{
    Ok,
    Failed,     // unreadable, not what it claims to be, refused
    NotWritten, // an output could not be written (disk full, no permission)
    Cancelled,  // the user asked to stop
};

// The result of an operation that can fail, handed across a layer boundary:
// success, or a code with the reason in plain words. The reason does not name
// the file; the caller, who knows which file it asked about, does.
class [[nodiscard]] Status
{
public:
    Status() = default;
    static Status Failure(std::string reason, StatusCode code = StatusCode::Failed)
    {
        return Status(code, std::move(reason));
    }

    bool Ok() const { return m_code == StatusCode::Ok; }
    explicit operator bool() const { return Ok(); }
    StatusCode Code() const { return m_code; }
    const std::string& Reason() const { return m_reason; }

private:
    Status(StatusCode code, std::string reason) : m_code(code), m_reason(std::move(reason)) {}

    StatusCode m_code = StatusCode::Ok;
    std::string m_reason;
};

#pragma once

#include <stdexcept>
#include <string>

// A file operation that failed while writing output: what kind of failure,
// the system's reason and the file's path. Thrown by the writers; caught by
// the step that handles one file of a run.
class CFileException : public std::runtime_error
{
public:
    enum Cause
    {
        kGeneric = 1,
        kDiskFull = 13,
    };

    CFileException(Cause cause, std::string reason, std::string path)
        : std::runtime_error(path + ": " + reason), m_cause(cause), m_reason(std::move(reason)),
          m_path(std::move(path))
    {
    }

    Cause GetCause() const { return m_cause; }
    const std::string& Reason() const { return m_reason; }
    const std::string& Path() const { return m_path; }

private:
    Cause m_cause;
    std::string m_reason;
    std::string m_path;
};

// The user asked to stop; unwinds a run without counting as a failure.
class CUserException : public std::exception
{
public:
    const char* what() const noexcept override { return "cancelled by the user"; }
};

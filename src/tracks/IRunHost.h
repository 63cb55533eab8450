#pragma once

#include "check/IProgressSink.h"

#include <cstdint>
#include <string>

// Line colours of a run's results list, as 0xRRGGBB.
inline constexpr std::uint32_t kLineBlack = 0x000000;
inline constexpr std::uint32_t kLineRed = 0xFF0000;

enum class HostAnswer
{
    Yes,
    No,
    Cancel,
};

enum class MessageIcon
{
    Information,
    Question,
    Exclamation,
    Error,
};

// What a run's work loop talks to: the progress dialog in the window, the
// terminal in the command line, a recorder in tests. The loop calls it from
// its own thread; an implementation hands each call to whatever shows it.
// Ask and ShowMessage block until the user has answered.
class IRunHost : public IProgressSink
{
public:
    // The file in hand; an empty text clears it.
    virtual void SetCurrentFile(const std::string& path) = 0;
    // The status caption ("Analyzing", ...).
    virtual void SetCaption(const std::string& text) = 0;
    virtual void AddResultLine(const std::string& text, std::uint32_t colour) = 0;
    // A question with Yes, No and Cancel.
    virtual HostAnswer Ask(const std::string& question) = 0;
    virtual void ShowMessage(const std::string& text, MessageIcon icon) = 0;
    // A file the run could not do, and why, besides its result lines: a
    // window whose results go when the run ends tells them once more then.
    virtual void ReportFailure(const std::string& path, const std::string& reason)
    {
        (void)path;
        (void)reason;
    }
};

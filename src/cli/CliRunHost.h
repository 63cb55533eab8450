#pragma once

#include "cli/CliContext.h"
#include "cli/TerminalProgress.h"
#include "tracks/IRunHost.h"

// Who answers "replace the existing file?" on the command line.
enum class OverwritePolicy
{
    Ask, // the user on a terminal; No when there is none
    Yes,
    No,
};

// A run's host on the command line: result lines on standard output,
// messages on standard error with the program's name, a progress line on a
// terminal. Questions follow the overwrite policy; without a terminal to ask
// on, the answer is No, since a script must never replace a file it was not
// told to.
class CCliRunHost final : public IRunHost
{
public:
    CCliRunHost(CliContext& context, OverwritePolicy policy = OverwritePolicy::No,
                std::size_t files = 0);

    bool IsCancelled() const override { return m_context.interrupted && m_context.interrupted(); }
    void SetProgress(int percent) override { m_progress.SetProgress(percent); }
    void SetCurrentFile(const std::string& path) override;
    void SetCaption(const std::string&) override {}
    void AddResultLine(const std::string& text, std::uint32_t colour) override;
    HostAnswer Ask(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;

    // Errors shown so far: a step that failed without failing its file.
    int Errors() const { return m_errors; }

private:
    CliContext& m_context;
    OverwritePolicy m_policy;
    CTerminalProgress m_progress;
    std::size_t m_files;
    std::size_t m_index = 0;
    int m_errors = 0;
};

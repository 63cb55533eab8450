#pragma once

#include "cli/CliContext.h"
#include "tracks/IRunHost.h"

// A run's host on the command line: messages go to standard error with the
// program's name; questions get No, since nobody is there to answer and a
// script must never replace a file it was not told to.
class CCliRunHost final : public IRunHost
{
public:
    explicit CCliRunHost(CliContext& context) : m_context(context) {}

    bool IsCancelled() const override { return false; }
    void SetProgress(int) override {}
    void SetCurrentFile(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    void AddResultLine(const std::string&, std::uint32_t) override {}
    HostAnswer Ask(const std::string&) override { return HostAnswer::No; }
    void ShowMessage(const std::string& text, MessageIcon icon) override;

private:
    CliContext& m_context;
};

#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

// tunewright-cli info FILE...: what the properties of each file show.
class CInfoCommand
{
public:
    explicit CInfoCommand(CliContext& context) : m_context(context) {}

    int Run(const std::vector<std::string>& args);

private:
    bool Interrupted() const;
    bool PrintFile(const std::string& path);
    void PrintHelp();

    CliContext& m_context;
    int m_printed = 0; // files printed so far, for the blank line between them
};

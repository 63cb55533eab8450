#pragma once

#include "cli/CliContext.h"

#include <string>
#include <vector>

// tunewright-cli history [--tsv] [PATH...]
// tunewright-cli history --forget PATH...
// Shows what the history of checks remembers (of everything, or of the
// given files and folders), or forgets it.
class CHistoryCommand
{
public:
    explicit CHistoryCommand(CliContext& context) : m_context(context) {}

    int Run(const std::vector<std::string>& args);

private:
    bool Parse(const std::vector<std::string>& args);
    void PrintHelp();

    CliContext& m_context;
    std::vector<std::string> m_paths;
    bool m_help = false;
    bool m_tsv = false;
    bool m_forget = false;
};

#pragma once

#include "cli/CliContext.h"

#include <cstddef>
#include <string>
#include <vector>

struct MP3CheckResult;

// tunewright-cli check [--tsv] [-v|--verbose] [-r|--recursive] PATH...
class CCheckCommand
{
public:
    explicit CCheckCommand(CliContext& context) : m_context(context) {}

    int Run(const std::vector<std::string>& args);

private:
    struct Options
    {
        bool tsv = false;
        bool verbose = false;
        bool recursive = false;
        bool help = false;
        std::vector<std::string> paths;
    };
    struct Tally
    {
        std::size_t sound = 0;
        std::size_t corrupt = 0;
        std::size_t unreadable = 0;
    };

    bool ParseOptions(const std::vector<std::string>& args, Options& options);
    int UsageError(const std::string& message);
    void PrintHelp();
    void PrintVerdict(const std::string& path, const MP3CheckResult& result);
    void PrintDamage(const MP3CheckResult& result);
    void PrintSummary(const Tally& tally);

    CliContext& m_context;
    Options m_options;
};

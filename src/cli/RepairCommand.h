#pragma once

#include "cli/CliContext.h"

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

struct RepairResult;

// tunewright-cli repair [--dry-run] [--backup DIR] [-r] [--jobs N] PATH...
class CRepairCommand
{
public:
    explicit CRepairCommand(CliContext& context) : m_context(context) {}

    int Run(const std::vector<std::string>& args);

private:
    struct Options
    {
        bool dryRun = false;
        bool recursive = false;
        bool help = false;
        unsigned jobs = DefaultJobs();
        std::string backup;
        std::vector<std::string> paths;
    };
    struct Tally
    {
        std::size_t repaired = 0;
        std::size_t sound = 0;
        std::size_t failed = 0; // not repairable, unreadable or a step failed
    };

    using ShowResult = std::function<void(const std::string&, const RepairResult&)>;

    bool ParseOptions(const std::vector<std::string>& args);
    std::string BackupFolder() const;
    std::size_t RepairAll(const std::vector<std::string>& files, const ShowResult& show);
    void Show(const std::string& path, const RepairResult& result, Tally& tally);
    void PrintSummary(const Tally& tally);
    void PrintHelp();

    CliContext& m_context;
    Options m_options;
};

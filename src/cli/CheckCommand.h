#pragma once

#include "cli/CliContext.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class IMP3DeepCheck;
struct MP3CheckResult;
struct TrackInfo;

// tunewright-cli check [--tsv] [-v|--verbose] [--details] [--decode] [-r|--recursive]
//                      [-j N] [--report FILE] PATH...
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
        bool details = false;
        bool decode = false;
        bool help = false;
        bool reportSet = false;
        unsigned jobs = DefaultJobs();
        std::string report;
        std::vector<std::string> paths;
    };
    struct Tally
    {
        std::size_t sound = 0;
        std::size_t corrupt = 0;
        std::size_t unreadable = 0;
    };

    using ShowResult = std::function<void(const std::string&, const MP3CheckResult&)>;

    bool ParseOptions(const std::vector<std::string>& args, Options& options);
    bool Interrupted() const;
    // Each checks the files and shows every result in order; returns how
    // many were shown, fewer than all when interrupted.
    std::size_t CheckOneByOne(const std::vector<std::string>& files, const ShowResult& show);
    std::size_t CheckSideBySide(const std::vector<std::string>& files, const ShowResult& show);
    int UsageError(const std::string& message);
    void PrintHelp();
    std::unique_ptr<IMP3DeepCheck> MakeDeepCheck() const;
    void PrintVerdict(const std::string& path, const MP3CheckResult& result);
    void PrintDetailColumns(const MP3CheckResult& result);
    void PrintDamage(const MP3CheckResult& result);
    void PrintSummary(const Tally& tally);
    std::unique_ptr<TrackInfo> ReportTrack(const std::string& path, const MP3CheckResult& result);
    bool WriteReport(const std::vector<std::unique_ptr<TrackInfo>>& checked);

    CliContext& m_context;
    Options m_options;
};

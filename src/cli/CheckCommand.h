#pragma once

#include "cli/CliContext.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class ICheckMemory;
class CMP3CheckTask;
class IMP3DeepCheck;
class IProgressSink;
struct MP3CheckResult;
struct RememberedCheck;
struct TrackInfo;

// tunewright-cli check [--tsv] [-v|--verbose] [--details] [--decode] [-r|--recursive]
//                      [-j N] [--report FILE] PATH...
class CCheckCommand
{
public:
    explicit CCheckCommand(CliContext& context);
    ~CCheckCommand();

    int Run(const std::vector<std::string>& args);

private:
    struct Options
    {
        bool tsv = false;
        bool verbose = false;
        bool recursive = false;
        bool details = false;
        bool decode = false;
        bool incremental = false;
        bool verify = false;
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
        std::size_t changed = 0;
    };
    // A file's check, or its answer from the history.
    struct Outcome;

    using ShowResult = std::function<void(const std::string&, const Outcome&)>;

    bool ParseOptions(const std::vector<std::string>& args, Options& options);
    bool Interrupted() const;
    // Each checks the files and shows every result in order; returns how
    // many were shown, fewer than all when interrupted.
    std::size_t CheckFiles(const std::vector<std::string>& files, const ShowResult& show);
    std::size_t CheckRemembering(const std::vector<std::string>& files, const ShowResult& show);
    std::size_t CheckOneByOne(const std::vector<std::string>& files, const ShowResult& show);
    std::size_t CheckSideBySide(const std::vector<std::string>& files, const ShowResult& show);
    int UsageError(const std::string& message);
    void PrintHelp();
    std::unique_ptr<IMP3DeepCheck> MakeDeepCheck() const;
    bool OpenMemory();
    Outcome CheckFile(CMP3CheckTask& task, const std::string& path, IProgressSink* progress);
    void Show(const std::string& path, const Outcome& outcome, Tally& tally);
    void PrintRemembered(const std::string& path, const RememberedCheck& check);
    void PrintChanged(const std::string& path, std::int64_t lastIntact);
    void PrintVerdict(const std::string& path, const MP3CheckResult& result);
    void PrintDetailColumns(const MP3CheckResult& result);
    void PrintDamage(const MP3CheckResult& result);
    void PrintSummary(const Tally& tally);
    std::unique_ptr<TrackInfo> ReportTrack(const std::string& path, const MP3CheckResult& result);
    std::unique_ptr<TrackInfo> ReportTrack(const std::string& path, const RememberedCheck& check);
    bool WriteReport(const std::vector<std::unique_ptr<TrackInfo>>& checked);

    CliContext& m_context;
    Options m_options;
    std::unique_ptr<ICheckMemory> m_memory; // with --incremental or --verify
    std::vector<std::unique_ptr<TrackInfo>> m_reported;
};

#pragma once

#include "cli/CliContext.h"
#include "io/Status.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class ICheckMemory;
class IMP3DeepCheck;
class IRunHost;
class ISettingsStorage;
struct TrackInfo;

// The parts of the command line that need the audio libraries, TagLib,
// SQLite or Qt. The program opens them from a shared module the first time
// one is asked for, so that `check`, `--help` and `--version` start without
// loading any of them; tests and builds without the module link them in.
// A check step that needs a decoder (a decode check with libmpg123, say)
// belongs here too, so that a plain `check` stays lean.
class ICliModule
{
public:
    virtual ~ICliModule() = default;

    // Runs `command`, one of those the module has, with its arguments;
    // returns the exit status.
    virtual int RunCommand(const std::string& command, const std::vector<std::string>& args,
                           CliContext& context) = 0;
    // The per-user settings (or the file TUNEWRIGHT_SETTINGS names).
    virtual std::unique_ptr<ISettingsStorage> OpenProgramSettings() = 0;

    // The analysis report of `check --report`: where it would go, the tags
    // and length it shows for a file, and writing it (AnalysisReport.h).
    virtual Status TryReportTarget(const std::string& path, std::string& target) = 0;
    virtual void ReadReportTags(const std::string& path, TrackInfo& track) = 0;
    virtual bool SaveAnalysisResults(const std::string& path, const std::vector<TrackInfo*>& tracks,
                                     IRunHost& host, bool details) = 0;
    // The deep check of `check --decode` (libmpg123); `stop` ends a decode
    // early.
    virtual std::unique_ptr<IMP3DeepCheck> MakeDeepCheck(std::function<bool()> stop) = 0;
    // The history of checks of `check -i` and `--verify` (SQLite).
    virtual Status OpenCheckMemory(std::unique_ptr<ICheckMemory>& memory) = 0;
};

// Bumped whenever ICliModule changes, so that a program never drives a
// module built from other sources.
inline constexpr unsigned kCliModuleInterface = 4;

// The module's one entry point, a C name for dlsym: its parts when
// `version` is the kCliModuleInterface it was built with, else null.
extern "C" ICliModule* TunewrightCliModule(unsigned version);

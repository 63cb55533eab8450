#include "cli/CheckCommand.h"

#include "check/MP3CheckTask.h"
#include "check/MP3Timing.h"
#include "cli/CliModule.h"
#include "cli/CliRunHost.h"
#include "cli/FileCollector.h"
#include "cli/OptionParser.h"
#include "cli/TerminalProgress.h"
#include "io/Paths.h"
#include "io/Printable.h"
#include "io/Text.h"
#include "repair/RepairBackup.h"
#include "state/ICheckMemory.h"
#include "tracks/OrderedWork.h"
#include "tracks/Strings.h"
#include "tracks/TrackInfo.h"

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <map>
#include <mutex>
#include <ostream>

namespace
{
// Damage events listed under a corrupt file; the rest are counted.
constexpr std::size_t kDamageShown = 10;

std::string Plural(std::size_t count, const char* word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}

// The progress of the file the output waits for, when several are checked
// at a time: its worker stores the percentage, the main thread draws it.
// Only the worker of the watched file writes, so a finished file's last
// value never lands on the next one's line.
class CWatchedProgress final : public IProgressSink
{
public:
    CWatchedProgress(const std::atomic<std::size_t>& watched, std::atomic<int>& percent,
                     std::size_t index)
        : m_watched(watched), m_percent(percent), m_index(index)
    {
    }

    bool IsCancelled() const override { return false; }
    void SetProgress(int percent) override
    {
        if (m_watched.load(std::memory_order_relaxed) == m_index)
            m_percent.store(percent, std::memory_order_relaxed);
    }

private:
    const std::atomic<std::size_t>& m_watched;
    std::atomic<int>& m_percent;
    std::size_t m_index;
};

// The verdict of a file whose audio changed while its size and time did not.
constexpr const char* kChanged = "Changed";

std::string ChangedNote(std::int64_t lastIntact)
{
    return "the audio changed, its size and date did not; last seen intact on " +
           LocalTimeText(lastIntact);
}

std::string Milliseconds(std::uint64_t ticks)
{
    return std::to_string(MP3TicksToMilliseconds(ticks));
}
} // namespace

struct CCheckCommand::Outcome
{
    MP3CheckResult result;
    std::optional<RememberedCheck> remembered; // answered without reading
    AudioChange change;
};

CCheckCommand::CCheckCommand(CliContext& context) : m_context(context) {}
CCheckCommand::~CCheckCommand() = default;

int CCheckCommand::Run(const std::vector<std::string>& args)
{
    if (!ParseOptions(args, m_options))
        return kExitUsage;
    if (m_options.help)
    {
        PrintHelp();
        return kExitOk;
    }
    if (m_options.paths.empty())
        return UsageError("no file or folder to check");
    if (m_options.details && !m_options.tsv && !m_options.reportSet)
        return UsageError("--details goes with --tsv or --report");
    if (m_options.incremental && m_options.verify)
        return UsageError("--incremental and --verify do not go together");
    if (m_options.reportSet && UpperCaseExtension(PathFromUtf8(m_options.report)) != ".TXT")
        return UsageError("the report is a plain text file: its name must end in .txt");
    if (m_options.reportSet)
    {
        // Found out now rather than after a run of hours.
        std::string target;
        if (Status ready = m_context.module->TryReportTarget(m_options.report, target); !ready)
        {
            m_context.err << kProgramName << ": cannot write " << Printable(m_options.report)
                          << ": " << ready.Reason() << "\n";
            return kExitFailure;
        }
    }

    CFileCollector collector({AudioKind::Mp3}, m_options.recursive);
    // The originals repairs put aside are known to be damaged; a folder of
    // them named on the command line is still checked.
    collector.SkipFolderName(kBackupFolderName);
    for (const std::string& path : m_options.paths)
        collector.Add(path);
    for (const std::string& error : collector.Errors())
        m_context.err << kProgramName << ": " << error << "\n"; // names already printable
    for (const std::string& folder : collector.EmptyFolders())
        m_context.err << kProgramName << ": no .mp3 files in " << Printable(folder) << "\n";

    if ((m_options.incremental || m_options.verify) && !OpenMemory())
        return kExitFailure;
    const std::vector<std::string>& files = collector.Files();
    Tally tally;
    const auto show = [&](const std::string& path, const Outcome& outcome)
    { Show(path, outcome, tally); };
    const std::size_t done =
        m_options.incremental ? CheckRemembering(files, show) : CheckFiles(files, show);
    if (done < files.size())
    {
        m_context.err << kProgramName << ": interrupted; " << files.size() - done
                      << " files were not checked\n";
        return kExitFailure;
    }
    if (Status flushed = m_memory ? m_memory->Flush() : Status(); !flushed)
        m_context.err << kProgramName
                      << ": the history of checks was not updated: " << flushed.Reason() << "\n";
    if (!m_options.tsv)
        PrintSummary(tally);
    if (m_options.reportSet && !WriteReport(m_reported))
        return kExitFailure;

    const bool allGood = tally.corrupt == 0 && tally.unreadable == 0 && tally.changed == 0 &&
                         collector.Errors().empty();
    return allGood ? kExitOk : kExitFailure;
}

bool CCheckCommand::Interrupted() const
{
    return m_context.interrupted && m_context.interrupted();
}

// The deep check, when asked for: the only place that needs the decoder.
std::unique_ptr<IMP3DeepCheck> CCheckCommand::MakeDeepCheck() const
{
    if (!m_options.decode)
        return nullptr;
    // The decoder is the module's: a plain check does not load it.
    return m_context.module->MakeDeepCheck([this] { return Interrupted(); });
}

bool CCheckCommand::OpenMemory()
{
    Status opened = m_context.module->OpenCheckMemory(m_memory);
    if (!opened)
        m_context.err << kProgramName << ": " << opened.Reason() << "\n";
    return opened.Ok();
}

// Checks the file and tells the history, when there is one, what the check
// found.
CCheckCommand::Outcome CCheckCommand::CheckFile(CMP3CheckTask& task, const std::string& path,
                                                IProgressSink* progress)
{
    Outcome outcome;
    std::string key;
    FileStamp stamp;
    // Stamped before the check, so that a change made meanwhile is seen next time.
    const bool stamped = m_memory && m_memory->Stamp(path, key, stamp);
    task.SetPath(path);
    task.Run(progress);
    outcome.result = task.TakeResult();
    if (stamped && !Interrupted())
    {
        if (Status learnt = m_memory->Learn(key, stamp, outcome.result, outcome.change); !learnt)
            m_context.err << kProgramName << ": " << Printable(path)
                          << ": not remembered: " << learnt.Reason() << "\n";
    }
    return outcome;
}

void CCheckCommand::Show(const std::string& path, const Outcome& outcome, Tally& tally)
{
    const MP3CheckResult& result = outcome.result;
    if (outcome.remembered)
    {
        ++(outcome.remembered->sound ? tally.sound : tally.corrupt);
        PrintRemembered(path, *outcome.remembered);
        if (m_options.reportSet)
            m_reported.push_back(ReportTrack(path, *outcome.remembered));
    }
    else if (outcome.change.changed)
    {
        ++tally.changed;
        PrintChanged(path, outcome.change.lastIntact);
    }
    else
    {
        if (!result.readable)
        {
            ++tally.unreadable;
            m_context.err << kProgramName << ": " << Printable(path) << ": " << result.failure
                          << "\n";
        }
        else
            ++(result.IsSound() ? tally.sound : tally.corrupt);
        PrintVerdict(path, result);
    }
    if (m_options.reportSet && !outcome.remembered)
    {
        std::unique_ptr<TrackInfo> track = ReportTrack(path, result);
        if (outcome.change.changed)
        {
            track->checkStatus = kCheckCorrupt;
            track->checkNote = ChangedNote(outcome.change.lastIntact);
        }
        m_reported.push_back(std::move(track));
    }
    if (m_context.errIsTerminal)
        m_context.out.flush(); // before the next progress line appears
}

std::size_t CCheckCommand::CheckFiles(const std::vector<std::string>& files, const ShowResult& show)
{
    return m_options.jobs > 1 && files.size() > 1 ? CheckSideBySide(files, show)
                                                  : CheckOneByOne(files, show);
}

// Shows what the history answers at once, in order, and checks the runs of
// files between those answers as any check would: handing every file to a
// worker would cost more than the answer itself.
std::size_t CCheckCommand::CheckRemembering(const std::vector<std::string>& files,
                                            const ShowResult& show)
{
    std::vector<std::string> unanswered;
    std::size_t shown = 0;
    const auto checkUnanswered = [&]
    {
        const std::size_t done = CheckFiles(unanswered, show);
        shown += done;
        const bool all = done == unanswered.size();
        unanswered.clear();
        return all;
    };
    for (const std::string& path : files)
    {
        if (Interrupted())
            return shown;
        std::string key;
        FileStamp stamp;
        Outcome outcome;
        if (m_memory->Stamp(path, key, stamp))
            outcome.remembered = m_memory->Recall(key, stamp, m_options.decode);
        if (!outcome.remembered)
        {
            unanswered.push_back(path);
            continue;
        }
        if (!unanswered.empty() && !checkUnanswered())
            return shown;
        show(path, outcome);
        ++shown;
    }
    if (!unanswered.empty())
        checkUnanswered();
    return shown;
}

std::size_t CCheckCommand::CheckOneByOne(const std::vector<std::string>& files,
                                         const ShowResult& show)
{
    CTerminalProgress progress(m_context.err, m_context.errIsTerminal, m_context.terminalWidth);
    const std::unique_ptr<IMP3DeepCheck> deep = MakeDeepCheck();
    CMP3CheckTask task;
    task.SetDeepCheck(deep.get());
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        if (Interrupted())
            return i;
        progress.StartFile(i, files.size(), files[i]);
        const Outcome outcome =
            CheckFile(task, files[i], m_context.errIsTerminal ? &progress : nullptr);
        progress.Clear();
        if (Interrupted()) // a decode cut short has no verdict
            return i;
        show(files[i], outcome);
    }
    return files.size();
}

// Checks `m_options.jobs` files at a time; the results are shown in the
// order of `files`, exactly as one at a time would show them. A result is
// held only from the end of its check until it is shown, so memory does not
// grow with the number of files.
std::size_t CCheckCommand::CheckSideBySide(const std::vector<std::string>& files,
                                           const ShowResult& show)
{
    std::mutex mutex;
    std::map<std::size_t, Outcome> finished; // guarded by `mutex`
    std::atomic<std::size_t> watched{0};
    std::atomic<int> percent{0};
    const bool drawn = m_context.errIsTerminal;
    CTerminalProgress progress(m_context.err, drawn, m_context.terminalWidth);
    progress.StartFile(0, files.size(), files[0]);
    std::size_t shown = 0;
    RunInOrder(
        files.size(), m_options.jobs,
        [&](std::size_t index)
        {
            const std::unique_ptr<IMP3DeepCheck> deep = MakeDeepCheck();
            CWatchedProgress sink(watched, percent, index);
            CMP3CheckTask task;
            task.SetDeepCheck(deep.get());
            Outcome outcome = CheckFile(task, files[index], drawn ? &sink : nullptr);
            std::lock_guard lock(mutex);
            finished.emplace(index, std::move(outcome));
        },
        [&](std::size_t index)
        {
            if (Interrupted()) // a decode cut short has no verdict
                return false;
            Outcome outcome;
            {
                std::lock_guard lock(mutex);
                auto found = finished.find(index);
                outcome = std::move(found->second);
                finished.erase(found);
            }
            progress.Clear();
            show(files[index], outcome);
            ++shown;
            percent.store(0, std::memory_order_relaxed);
            watched.store(index + 1, std::memory_order_relaxed);
            if (index + 1 < files.size())
                progress.StartFile(index + 1, files.size(), files[index + 1]);
            return true;
        },
        // Asked at least every 100 ms while the output waits for a file.
        [&]
        {
            progress.SetProgress(percent.load(std::memory_order_relaxed));
            return Interrupted();
        });
    progress.Clear();
    return shown;
}

bool CCheckCommand::ParseOptions(const std::vector<std::string>& args, Options& options)
{
    COptionParser parser(
        "check", {{"-h", "--help", nullptr, SetFlag(options.help)},
                  {nullptr, "--tsv", nullptr, SetFlag(options.tsv)},
                  {"-v", "--verbose", nullptr, SetFlag(options.verbose)},
                  {"-r", "--recursive", nullptr, SetFlag(options.recursive)},
                  {nullptr, "--details", nullptr, SetFlag(options.details)},
                  {nullptr, "--decode", nullptr, SetFlag(options.decode)},
                  {"-i", "--incremental", nullptr, SetFlag(options.incremental)},
                  {nullptr, "--verify", nullptr, SetFlag(options.verify)},
                  JobsOption("a number of files to check at a time, 1 or more", options.jobs),
                  {nullptr, "--report", "a file name ending in .txt",
                   [&](const std::string& value)
                   {
                       options.report = value;
                       options.reportSet = true;
                       return true;
                   }}});
    Status parsed = parser.Parse(args, options.paths);
    if (!parsed)
        UsageError(parsed.Reason());
    return parsed.Ok();
}

int CCheckCommand::UsageError(const std::string& message)
{
    return CliUsageError(m_context, "check", message);
}

void CCheckCommand::PrintHelp()
{
    m_context.out
        << "Usage: " << kProgramName
        << " check [--tsv [--details]] [-v|--verbose] [--decode] [-i|--verify] [-r]\n"
        << "                      [-j N] [--report FILE.txt [--details]] PATH...\n"
        << "\n"
        << "Walks MP3 files frame by frame and prints OK or Corrupt for each, then a summary.\n"
        << "A file is corrupt when a frame header is unusable, a frame does not start\n"
        << "where the one before it ended, or no MPEG audio is found at all; tags and\n"
        << "other bytes around the audio are fine.\n"
        << "\n"
        << "PATH is a file, checked whatever its extension, or a folder, whose .mp3 files\n"
        << "are checked in sorted order.\n"
        << "\n"
        << "Options:\n"
        << "  -r, --recursive  also check the .mp3 files in the folders' subfolders\n"
        << "  -v, --verbose    under each corrupt file, say how much of its audio is intact\n"
        << "                   and list where it is damaged (time m:ss.mmm and byte) and why\n"
        << "      --decode     also decode every frame and count those the decoder cannot\n"
        << "                   use (damage inside frames); a file with any is Corrupt\n"
        << "      --tsv        print only VERDICT<TAB>PATH lines, for scripts\n"
        << "      --details    with --tsv, add the columns ERRORS, INTACT_MS, TOTAL_MS,\n"
        << "                   INTACT_PERCENT, STRETCHES, DAMAGED_BYTES, TRUNCATED_BYTES,\n"
        << "                   FIRST_DAMAGE_MS and BAD_FRAMES (\"-\" where not known: an\n"
        << "                   unreadable file, no damage, no --decode); with --report, add\n"
        << "                   each corrupt file's details after its block\n"
        << "  -i, --incremental\n"
        << "                   answer for each file whose size and modification time have\n"
        << "                   not changed since its last check from the history of checks,\n"
        << "                   without reading it; check and remember the others\n"
        << "      --verify     check every file and report as Changed each one whose audio\n"
        << "                   differs from what the history remembers although its size\n"
        << "                   and modification time do not (silent damage on the disk)\n"
        << "  -j, --jobs N     check N files at a time (default: one per processor core);\n"
        << "                   the output keeps the order of the files\n"
        << "      --report FILE.txt\n"
        << "                   also write the analysis report: per file its full path,\n"
        << "                   verdict, title, artist, album and length (CR LF line ends)\n"
        << "  -h, --help       show this help\n"
        << "\n"
        << "A file that cannot be read counts as Corrupt; the reason goes to standard error.\n"
        << "In printed paths a backslash is doubled and control characters are escaped\n"
        << "(\\n, \\t, \\r, \\xNN), so that every file takes exactly one line.\n"
        << "On a terminal, a progress line is shown on standard error.\n"
        << "\n"
        << "The history of checks is kept in $XDG_STATE_HOME/tunewright/state.db; see\n"
        << "'" << kProgramName << " history'. Tag edits made by this program keep it current.\n"
        << "\n"
        << "Exit status: 0 if every file is sound, 1 if any is corrupt, unreadable or changed,\n"
        << "2 if the command line is wrong.\n";
}

void CCheckCommand::PrintVerdict(const std::string& path, const MP3CheckResult& result)
{
    const char* word = strings::CheckStatusText(result.IsSound() ? kCheckSound : kCheckCorrupt);
    if (m_options.tsv)
    {
        m_context.out << word << '\t' << Printable(path);
        if (m_options.details)
            PrintDetailColumns(result);
        m_context.out << '\n';
        return;
    }
    std::string padded = word;
    padded.resize(9, ' ');
    m_context.out << padded << Printable(path) << '\n';
    if (m_options.verbose)
        PrintDamage(result);
}

// Numbers only, one column each, so that scripts can sort and sum them.
void CCheckCommand::PrintDetailColumns(const MP3CheckResult& result)
{
    std::ostream& out = m_context.out;
    if (!result.readable)
    {
        out << "\t-\t-\t-\t-\t-\t-\t-\t-\t-";
        return;
    }
    const MP3DamageSummary summary = SummariseDamage(result);
    out << '\t' << result.errors << '\t' << Milliseconds(summary.cleanTicks) << '\t'
        << Milliseconds(summary.totalTicks) << '\t' << FormatCleanPercent(summary) << '\t'
        << summary.stretches << '\t' << summary.damagedBytes << '\t' << summary.truncatedBytes
        << '\t';
    if (result.damage.empty())
        out << '-';
    else
        out << Milliseconds(result.damage.front().ticks);
    out << '\t';
    if (result.decode.done && result.decode.failure.empty())
        out << result.decode.badFrames;
    else
        out << '-';
}

void CCheckCommand::PrintRemembered(const std::string& path, const RememberedCheck& check)
{
    const char* word = strings::CheckStatusText(check.sound ? kCheckSound : kCheckCorrupt);
    if (m_options.tsv)
    {
        m_context.out << word << '\t' << Printable(path);
        // Only the count of errors is kept; the rest is not known.
        if (m_options.details)
            m_context.out << '\t' << check.errors << "\t-\t-\t-\t-\t-\t-\t-\t-";
        m_context.out << '\n';
        return;
    }
    std::string padded = word;
    padded.resize(9, ' ');
    m_context.out << padded << Printable(path) << '\n';
    if (!m_options.verbose)
        return;
    m_context.out << "    as checked on " << LocalTimeText(check.checkedAt) << '\n';
    for (const std::string* line : {&check.note, &check.summary})
        if (!line->empty())
            m_context.out << "    " << Printable(*line) << '\n';
}

void CCheckCommand::PrintChanged(const std::string& path, std::int64_t lastIntact)
{
    if (m_options.tsv)
    {
        m_context.out << kChanged << '\t' << Printable(path);
        if (m_options.details)
            m_context.out << "\t-\t-\t-\t-\t-\t-\t-\t-\t-";
        m_context.out << '\n';
        return;
    }
    std::string padded = kChanged;
    padded.resize(9, ' ');
    m_context.out << padded << Printable(path) << '\n' << "    " << ChangedNote(lastIntact) << '\n';
}

std::unique_ptr<TrackInfo> CCheckCommand::ReportTrack(const std::string& path,
                                                      const RememberedCheck& check)
{
    MP3CheckResult unread;
    std::unique_ptr<TrackInfo> track = ReportTrack(path, unread);
    track->checkStatus = check.sound ? kCheckSound : kCheckCorrupt;
    track->checkNote = check.note;
    track->checkDetails.clear();
    if (m_options.details && !check.summary.empty())
        track->checkDetails.push_back(check.summary);
    return track;
}

void CCheckCommand::PrintDamage(const MP3CheckResult& result)
{
    // An unreadable file's reason has gone to standard error already.
    for (const std::string& line : DescribeCheckDetails(result, kDamageShown))
        m_context.out << "    " << line << '\n';
}

std::unique_ptr<TrackInfo> CCheckCommand::ReportTrack(const std::string& path,
                                                      const MP3CheckResult& result)
{
    auto track = std::make_unique<TrackInfo>();
    // The report is read away from the shell that typed the paths.
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(PathFromUtf8(path), error);
    track->path = error ? path : Utf8FromPath(absolute.lexically_normal());
    track->checkStatus = result.IsSound() ? kCheckSound : kCheckCorrupt;
    track->checkNote = VerdictNote(result);
    if (m_options.details && !result.IsSound())
        track->checkDetails = DescribeCheckDetails(result, kDamageShown);
    // The tags need TagLib: the report is the module's.
    m_context.module->ReadReportTags(path, *track);
    return track;
}

bool CCheckCommand::WriteReport(const std::vector<std::unique_ptr<TrackInfo>>& checked)
{
    std::vector<TrackInfo*> tracks;
    for (const std::unique_ptr<TrackInfo>& track : checked)
        tracks.push_back(track.get());
    CCliRunHost host(m_context);
    return m_context.module->SaveAnalysisResults(m_options.report, tracks, host, m_options.details);
}

void CCheckCommand::PrintSummary(const Tally& tally)
{
    const std::size_t total = tally.sound + tally.corrupt + tally.unreadable + tally.changed;
    m_context.out << Plural(total, "file") << " checked: " << tally.sound << " OK, "
                  << tally.corrupt + tally.unreadable << " Corrupt";
    if (tally.unreadable > 0)
        m_context.out << " (" << tally.unreadable << " could not be read)";
    if (tally.changed > 0)
        m_context.out << ", " << tally.changed << ' ' << kChanged;
    m_context.out << '\n';
}

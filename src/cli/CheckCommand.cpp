#include "cli/CheckCommand.h"

#include "check/MP3CheckTask.h"
#include "cli/CliModule.h"
#include "cli/CliRunHost.h"
#include "cli/FileCollector.h"
#include "cli/OptionParser.h"
#include "cli/TerminalProgress.h"
#include "io/Paths.h"
#include "io/Printable.h"
#include "tracks/OrderedWork.h"
#include "tracks/Strings.h"
#include "tracks/TrackInfo.h"

#include <algorithm>
#include <filesystem>
#include <ostream>

namespace
{
// Words of the working list's Check column.
constexpr std::size_t kDamageShown = 10;

std::string Plural(std::size_t count, const char* word)
{
    return std::to_string(count) + " " + word + (count == 1 ? "" : "s");
}
} // namespace

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
    if (m_options.reportSet && UpperCaseExtension(PathFromUtf8(m_options.report)) != ".TXT")
        return UsageError("the report is a plain text file: its name must end in .txt");
    if (m_options.reportSet)
    {
        // Found out now rather than after a run of hours.
        std::string target, error;
        if (!m_context.module->TryReportTarget(m_options.report, target, error))
        {
            m_context.err << kProgramName << ": cannot write " << Printable(m_options.report)
                          << ": " << error << "\n";
            return kExitFailure;
        }
    }

    CFileCollector collector({".MP3"}, m_options.recursive);
    for (const std::string& path : m_options.paths)
        collector.Add(path);
    for (const std::string& error : collector.Errors())
        m_context.err << kProgramName << ": " << error << "\n"; // names already printable
    for (const std::string& folder : collector.EmptyFolders())
        m_context.err << kProgramName << ": no .mp3 files in " << Printable(folder) << "\n";

    const std::vector<std::string>& files = collector.Files();
    Tally tally;
    std::vector<std::unique_ptr<TrackInfo>> checked;
    const auto show = [&](const std::string& path, const MP3CheckResult& result)
    {
        if (!result.readable)
        {
            ++tally.unreadable;
            m_context.err << kProgramName << ": " << Printable(path) << ": " << result.failure
                          << "\n";
        }
        else if (result.IsSound())
            ++tally.sound;
        else
            ++tally.corrupt;
        PrintVerdict(path, result);
        if (m_options.reportSet)
            checked.push_back(ReportTrack(path, result));
        if (m_context.errIsTerminal)
            m_context.out.flush(); // before the next progress line appears
    };
    const std::size_t done = m_options.jobs > 1 && files.size() > 1 ? CheckSideBySide(files, show)
                                                                    : CheckOneByOne(files, show);
    if (done < files.size())
    {
        m_context.err << kProgramName << ": interrupted; " << files.size() - done
                      << " files were not checked\n";
        return kExitFailure;
    }
    if (!m_options.tsv)
        PrintSummary(tally);
    if (m_options.reportSet && !WriteReport(checked))
        return kExitFailure;

    const bool allGood = tally.corrupt == 0 && tally.unreadable == 0 && collector.Errors().empty();
    return allGood ? kExitOk : kExitFailure;
}

bool CCheckCommand::Interrupted() const
{
    return m_context.interrupted && m_context.interrupted();
}

std::size_t CCheckCommand::CheckOneByOne(const std::vector<std::string>& files,
                                         const ShowResult& show)
{
    CTerminalProgress progress(m_context.err, m_context.errIsTerminal, m_context.terminalWidth);
    CMP3CheckTask task;
    for (std::size_t i = 0; i < files.size(); ++i)
    {
        if (Interrupted())
            return i;
        progress.StartFile(i, files.size(), files[i]);
        task.SetPath(files[i]);
        task.Run(m_context.errIsTerminal ? &progress : nullptr);
        progress.Clear();
        show(files[i], task.GetResult());
    }
    return files.size();
}

// Checks `m_options.jobs` files at a time; the results are shown in the
// order of `files`, exactly as one at a time would show them.
std::size_t CCheckCommand::CheckSideBySide(const std::vector<std::string>& files,
                                           const ShowResult& show)
{
    std::vector<MP3CheckResult> results(files.size());
    CTerminalProgress progress(m_context.err, m_context.errIsTerminal, m_context.terminalWidth);
    progress.StartFile(0, files.size(), files[0]);
    const std::size_t shown = RunInOrder(
        files.size(), m_options.jobs,
        [&](std::size_t index)
        {
            CMP3CheckTask task;
            task.SetPath(files[index]);
            task.Run(nullptr);
            results[index] = task.GetResult();
        },
        [&](std::size_t index)
        {
            progress.Clear();
            show(files[index], results[index]);
            if (index + 1 < files.size())
                progress.StartFile(index + 1, files.size(), files[index + 1]);
            return true;
        },
        [this] { return Interrupted(); });
    progress.Clear();
    return shown;
}

bool CCheckCommand::ParseOptions(const std::vector<std::string>& args, Options& options)
{
    COptionParser parser("check",
                         {{"-h", "--help", nullptr, SetFlag(options.help)},
                          {nullptr, "--tsv", nullptr, SetFlag(options.tsv)},
                          {"-v", "--verbose", nullptr, SetFlag(options.verbose)},
                          {"-r", "--recursive", nullptr, SetFlag(options.recursive)},
                          {"-j", "--jobs", "a number of files to check at a time, 1 or more",
                           [&](const std::string& value)
                           {
                               int jobs = 0;
                               if (!ParseCount(value, 1, 9999, jobs))
                                   return false;
                               options.jobs = static_cast<unsigned>(jobs);
                               return true;
                           }},
                          {nullptr, "--report", "a file name ending in .txt",
                           [&](const std::string& value)
                           {
                               options.report = value;
                               options.reportSet = true;
                               return true;
                           }}});
    if (parser.Parse(args, options.paths))
        return true;
    UsageError(parser.Error());
    return false;
}

int CCheckCommand::UsageError(const std::string& message)
{
    return CliUsageError(m_context, "check", message);
}

void CCheckCommand::PrintHelp()
{
    m_context.out
        << "Usage: " << kProgramName
        << " check [--tsv] [-v|--verbose] [-r|--recursive] [--report FILE.txt] PATH...\n"
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
        << "  -v, --verbose    under each corrupt file, list where it is damaged and why\n"
        << "      --tsv        print only VERDICT<TAB>PATH lines, for scripts\n"
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
        << "Exit status: 0 if every file is sound, 1 if any is corrupt or unreadable,\n"
        << "2 if the command line is wrong.\n";
}

void CCheckCommand::PrintVerdict(const std::string& path, const MP3CheckResult& result)
{
    const char* word = strings::CheckStatusText(result.IsSound() ? kCheckSound : kCheckCorrupt);
    if (m_options.tsv)
    {
        m_context.out << word << '\t' << Printable(path) << '\n';
        return;
    }
    std::string padded = word;
    padded.resize(9, ' ');
    m_context.out << padded << Printable(path) << '\n';
    if (m_options.verbose)
        PrintDamage(result);
}

void CCheckCommand::PrintDamage(const MP3CheckResult& result)
{
    // An unreadable file's reason has gone to standard error already.
    if (result.readable && !result.HasAudio())
        m_context.out << "    " << kNoAudioFound << '\n';
    const std::size_t shown = std::min<std::size_t>(result.damage.size(), kDamageShown);
    for (std::size_t i = 0; i < shown; ++i)
        m_context.out << "    " << DescribeDamage(result.damage[i]) << '\n';
    if (result.errors > shown)
        m_context.out << "    ... and " << result.errors - shown << " more ("
                      << Plural(result.errors, "error") << " in all)\n";
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
    return m_context.module->SaveAnalysisResults(m_options.report, tracks, host);
}

void CCheckCommand::PrintSummary(const Tally& tally)
{
    const std::size_t total = tally.sound + tally.corrupt + tally.unreadable;
    m_context.out << Plural(total, "file") << " checked: " << tally.sound << " OK, "
                  << tally.corrupt + tally.unreadable << " Corrupt";
    if (tally.unreadable > 0)
        m_context.out << " (" << tally.unreadable << " could not be read)";
    m_context.out << '\n';
}

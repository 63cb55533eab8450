#include "cli/RepairCommand.h"

#include "cli/FileCollector.h"
#include "cli/OptionParser.h"
#include "cli/TerminalProgress.h"
#include "io/Printable.h"
#include "repair/MP3Repair.h"
#include "repair/RepairBackup.h"
#include "settings/SettingsStore.h"
#include "tracks/OrderedWork.h"

#include <filesystem>
#include <memory>
#include <ostream>

int CRepairCommand::Run(const std::vector<std::string>& args)
{
    if (!ParseOptions(args))
        return kExitUsage;
    if (m_options.help)
    {
        PrintHelp();
        return kExitOk;
    }
    if (m_options.paths.empty())
        return CliUsageError(m_context, "repair", "no file or folder to repair");

    CFileCollector collector({AudioKind::Mp3}, m_options.recursive);
    // Originals put aside by earlier repairs are not to be repaired again.
    collector.SkipFolderName(kBackupFolderName);
    const std::string backup = BackupFolder();
    if (!backup.empty())
        collector.SkipFolderName(std::filesystem::path(backup).filename().string());
    for (const std::string& path : m_options.paths)
        collector.Add(path);
    for (const std::string& error : collector.Errors())
        m_context.err << kProgramName << ": " << error << "\n"; // names already printable
    for (const std::string& folder : collector.EmptyFolders())
        m_context.err << kProgramName << ": no .mp3 files in " << Printable(folder) << "\n";

    const std::vector<std::string>& files = collector.Files();
    Tally tally;
    const std::size_t done =
        RepairAll(files, [&](const std::string& path, const RepairResult& result)
                  { Show(path, result, tally); });
    if (done < files.size())
    {
        m_context.err << kProgramName << ": interrupted; " << files.size() - done
                      << " files were not repaired\n";
        return kExitFailure;
    }
    PrintSummary(tally);
    return tally.failed == 0 && collector.Errors().empty() ? kExitOk : kExitFailure;
}

// The --backup folder, else the one in the settings; empty: beside each file.
std::string CRepairCommand::BackupFolder() const
{
    if (!m_options.backup.empty() || !m_context.openSettings)
        return m_options.backup;
    std::unique_ptr<ISettingsStorage> storage = m_context.openSettings();
    return storage ? CSettingsStore(*storage).GetRepairBackupFolder() : std::string();
}

// Repairs `m_options.jobs` files at a time; the results are shown in the
// order of `files`.
std::size_t CRepairCommand::RepairAll(const std::vector<std::string>& files, const ShowResult& show)
{
    if (files.empty())
        return 0;
    RepairOptions options;
    options.dryRun = m_options.dryRun;
    options.backupFolder = BackupFolder();
    std::vector<RepairResult> results(files.size());
    CTerminalProgress progress(m_context.err, m_context.errIsTerminal, m_context.terminalWidth);
    progress.StartFile(0, files.size(), files[0]);
    const std::size_t shown = RunInOrder(
        files.size(), m_options.jobs,
        [&](std::size_t index) { results[index] = RepairMP3File(files[index], options); },
        [&](std::size_t index)
        {
            progress.Clear();
            show(files[index], results[index]);
            if (m_context.errIsTerminal)
                m_context.out.flush(); // before the next progress line appears
            if (index + 1 < files.size())
                progress.StartFile(index + 1, files.size(), files[index + 1]);
            return true;
        },
        [this] { return m_context.interrupted && m_context.interrupted(); });
    progress.Clear();
    return shown;
}

void CRepairCommand::Show(const std::string& path, const RepairResult& result, Tally& tally)
{
    switch (result.outcome)
    {
    case RepairOutcome::Repaired:
    case RepairOutcome::Planned:
        ++tally.repaired;
        break;
    case RepairOutcome::AlreadySound:
        ++tally.sound;
        break;
    case RepairOutcome::NotRepairable:
    case RepairOutcome::Failed:
        ++tally.failed;
        break;
    }
    m_context.out << Printable(path) << ": " << DescribeRepair(result) << '\n';
    if (!result.logWarning.empty())
        m_context.err << kProgramName << ": " << Printable(path) << ": "
                      << Printable(result.logWarning) << "\n";
}

void CRepairCommand::PrintSummary(const Tally& tally)
{
    const std::size_t total = tally.repaired + tally.sound + tally.failed;
    m_context.out << total << (total == 1 ? " file: " : " files: ") << tally.repaired
                  << (m_options.dryRun ? " to repair, " : " repaired, ") << tally.sound
                  << " already sound, " << tally.failed << " not repaired\n";
}

bool CRepairCommand::ParseOptions(const std::vector<std::string>& args)
{
    Options& options = m_options;
    COptionParser parser(
        "repair", {{"-h", "--help", nullptr, SetFlag(options.help)},
                   {"-n", "--dry-run", nullptr, SetFlag(options.dryRun)},
                   {"-r", "--recursive", nullptr, SetFlag(options.recursive)},
                   JobsOption("a number of files to repair at a time, 1 or more", options.jobs),
                   {nullptr, "--backup", "a folder",
                    [&](const std::string& value)
                    {
                        options.backup = value;
                        return !value.empty();
                    }}});
    Status parsed = parser.Parse(args, options.paths);
    if (!parsed)
        CliUsageError(m_context, "repair", parsed.Reason());
    return parsed.Ok();
}

void CRepairCommand::PrintHelp()
{
    m_context.out
        << "Usage: " << kProgramName << " repair [-n|--dry-run] [--backup DIR] [-r|--recursive]\n"
        << "                      [-j|--jobs N] PATH...\n"
        << "\n"
        << "Rebuilds corrupt MP3 files from what is in them: the ID3v2 tag, the frames\n"
        << "of the audio stream with the junk between them removed (a frame that runs\n"
        << "into junk, which mostly holds some, and a cut-off last frame go with it),\n"
        << "a true VBR (Xing) or Info header, and the APE and ID3v1 tags. No audio\n"
        << "frame is changed. A file the check finds sound is left alone.\n"
        << "\n"
        << "The repaired file is written beside the original, checked and decoded, and\n"
        << "only then takes the original's place. The original is kept, with its name,\n"
        << "times and permissions, in the backup folder, which also holds " << kRepairLogName
        << ":\n"
        << "one line per repair, saying what changed or why nothing did.\n"
        << "\n"
        << "PATH is a file, repaired whatever its extension, or a folder, whose .mp3\n"
        << "files are repaired in sorted order; backup folders are skipped.\n"
        << "\n"
        << "Options:\n"
        << "  -n, --dry-run    say what would be done (bytes dropped, audio lost, header\n"
        << "                   rewritten) and write nothing\n"
        << "      --backup DIR put the originals into DIR (default: the folder's setting,\n"
        << "                   else a folder " << kBackupFolderName << " beside each file)\n"
        << "  -r, --recursive  also repair the .mp3 files in the folders' subfolders\n"
        << "  -j, --jobs N     repair N files at a time (default: one per processor core);\n"
        << "                   the output keeps the order of the files\n"
        << "  -h, --help       show this help\n"
        << "\n"
        << "In printed paths a backslash is doubled and control characters are escaped.\n"
        << "On a terminal, a progress line is shown on standard error.\n"
        << "\n"
        << "Exit status: 0 if every file is sound or was repaired (or would be, with\n"
        << "--dry-run), 1 if any could not be, 2 if the command line is wrong.\n";
}

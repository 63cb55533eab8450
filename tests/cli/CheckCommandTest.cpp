#include "cli/Cli.h"
#include "cli/FileCollector.h"
#include "support/MP3StreamBuilder.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

using namespace mp3words;
namespace fs = std::filesystem;

namespace
{
struct Outcome
{
    int status;
    std::string out;
    std::string err;
};

Outcome Cli(const std::vector<std::string>& args, bool terminal = false)
{
    std::ostringstream out, err;
    CliContext context(out, err);
    context.errIsTerminal = terminal;
    context.terminalWidth = 60;
    const int status = RunCli(args, context);
    return {status, out.str(), err.str()};
}

class CheckCommand : public testing::Test
{
protected:
    void SetUp() override
    {
        CMP3StreamBuilder sound;
        sound.Id3v2(20).Frames(kMpeg1L3, kMpeg1L3Length, 30).Id3v1();
        sound.WriteTo(File("good.mp3"));
        CMP3StreamBuilder damaged;
        damaged.Frames(kMpeg1L3, kMpeg1L3Length, 3);
        for (int i = 0; i < 12; ++i)
            damaged.Bytes({0xFF, 0xFF, 0xFF, 0xFF});
        damaged.WriteTo(File("bad.mp3"));
    }

    std::string File(const std::string& name) const { return m_dir.File(name); }

    CTempDir m_dir;
};
} // namespace

// An unreadable file counts as corrupt, and the summary says so.
TEST_F(CheckCommand, TsvPrintsOnlyVerdictTabPath)
{
    Outcome r = Cli({"check", "--tsv", File("good.mp3"), File("bad.mp3"), File("absent.mp3")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "OK\t" + File("good.mp3") + "\nCorrupt\t" + File("bad.mp3") + "\nCorrupt\t" +
                         File("absent.mp3") + "\n");
    EXPECT_EQ(r.err, "tunewright-cli: " + File("absent.mp3") +
                         ": cannot open the file: No such file or directory\n");
    EXPECT_NE(Cli({"check", File("good.mp3"), File("absent.mp3")})
                  .out.find("Corrupt  " + File("absent.mp3") +
                            "\n2 files checked: 1 OK, 1 Corrupt (1 could not be read)"),
              std::string::npos);
}

TEST_F(CheckCommand, VerboseListsTheFirstDamageThenACount)
{
    Outcome r = Cli({"check", "-v", File("bad.mp3"), File("good.mp3")});
    EXPECT_EQ(r.status, 1);
    const std::string expectedStart =
        "Corrupt  " + File("bad.mp3") + "\n" +
        "    intact 0:00.078 of 0:00.081 (96.3 %); 1 damaged stretch, 48 bytes\n" +
        "    0:00.078, byte 1251: unusable header FF FF FF FF, bitrate index 15 is not allowed\n";
    EXPECT_EQ(r.out.substr(0, expectedStart.size()), expectedStart);
    EXPECT_NE(r.out.find("    ... and 2 more (12 errors in all)\nOK       "), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("2 files checked: 1 OK, 1 Corrupt\n"), std::string::npos);
}

TEST_F(CheckCommand, AFileWithoutAudioIsCorruptInEveryOutput)
{
    std::ofstream(File("empty.mp3")).close();
    Outcome plain = Cli({"check", File("empty.mp3")});
    EXPECT_EQ(plain.status, 1);
    EXPECT_EQ(plain.out, "Corrupt  " + File("empty.mp3") + "\n1 file checked: 0 OK, 1 Corrupt\n");
    EXPECT_EQ(Cli({"check", "-v", File("empty.mp3")}).out,
              "Corrupt  " + File("empty.mp3") +
                  "\n    no MPEG audio found\n1 file checked: 0 OK, 1 Corrupt\n");
    EXPECT_EQ(Cli({"check", "--tsv", File("empty.mp3")}).out,
              "Corrupt\t" + File("empty.mp3") + "\n");
    Cli({"check", "--report", File("r.txt"), File("empty.mp3")});
    const std::vector<std::uint8_t> report = ReadFileBytes(File("r.txt"));
    EXPECT_NE(
        std::string(report.begin(), report.end()).find("Check: Corrupt (no MPEG audio found)\r\n"),
        std::string::npos);
}

TEST_F(CheckCommand, FoldersGiveTheirMp3FilesInOrder)
{
    std::filesystem::create_directory(File("sub"));
    std::filesystem::copy_file(File("good.mp3"), File("sub/inner.MP3"));
    std::filesystem::copy_file(File("good.mp3"), File("A.Mp3"));
    std::filesystem::copy_file(File("good.mp3"), File("notes.txt"));
    // Originals put aside by repairs are left out of a walk through folders.
    std::filesystem::create_directory(File(".tunewright-backup"));
    std::filesystem::copy_file(File("bad.mp3"), File(".tunewright-backup/old.mp3"));

    Outcome flat = Cli({"check", "--tsv", m_dir.Path().string()});
    EXPECT_EQ(flat.out, "OK\t" + File("A.Mp3") + "\nCorrupt\t" + File("bad.mp3") + "\nOK\t" +
                            File("good.mp3") + "\n");

    Outcome deep = Cli({"check", "--tsv", "-r", m_dir.Path().string()});
    EXPECT_NE(deep.out.find("OK\t" + File("sub/inner.MP3") + "\n"), std::string::npos);
    EXPECT_EQ(deep.out.find(".tunewright-backup"), std::string::npos);

    // A file named on the command line is checked whatever its extension.
    EXPECT_EQ(Cli({"check", "--tsv", File("notes.txt")}).out, "OK\t" + File("notes.txt") + "\n");
}

TEST_F(CheckCommand, PathsAfterDoubleDashAreNeverOptions)
{
    std::filesystem::copy_file(File("good.mp3"), File("-v.mp3"));
    std::filesystem::current_path(m_dir.Path());
    Outcome r = Cli({"check", "--tsv", "--", "-v.mp3"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "OK\t-v.mp3\n");
}

TEST_F(CheckCommand, ProgressGoesToATerminalsErrorStreamOnly)
{
    Outcome r = Cli({"check", "--tsv", File("good.mp3"), File("bad.mp3")}, true);
    EXPECT_EQ(r.out, "OK\t" + File("good.mp3") + "\nCorrupt\t" + File("bad.mp3") + "\n");
    EXPECT_NE(r.err.find("[1/2] 0% "), std::string::npos) << r.err;
    // Every progress line is erased again.
    EXPECT_EQ(r.err.substr(r.err.size() - 4), "\r\033[K"); // off a terminal: see the TSV case
}

TEST_F(CheckCommand, OddCharactersInPathsCannotBreakLinesOrDriveTheTerminal)
{
    const std::string odd = File("two\nlines\t\x1B[31m\\.mp3");
    std::filesystem::copy_file(File("good.mp3"), odd);
    Outcome r = Cli({"check", "--tsv", odd});
    EXPECT_EQ(r.out, "OK\t" + File("two\\nlines\\t\\x1B[31m\\\\.mp3") + "\n");
    const std::string missing = File("gone\x1B.mp3");
    EXPECT_EQ(Cli({"check", "--tsv", missing}).err.find('\x1B'), std::string::npos);
}

TEST_F(CheckCommand, TheReportListsEveryCheckedFile)
{
    // Paths typed relative to the current folder go into the report in full.
    std::filesystem::current_path(m_dir.Path());
    Outcome r = Cli({"check", "--tsv", "--report", "report.txt", "./good.mp3", "bad.mp3"});
    EXPECT_EQ(r.status, 1);
    const std::vector<std::uint8_t> report = ReadFileBytes(File("report.txt"));
    const std::string text(report.begin(), report.end());
    EXPECT_EQ(text.substr(0, 21), "Analysis Results:\r\n\r\n");
    EXPECT_NE(text.find("File: " + File("good.mp3") + "\r\nCheck: OK\r\nConvert: no\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("File: " + File("bad.mp3") + "\r\nCheck: Corrupt\r\n"), std::string::npos);

    Outcome wrong = Cli({"check", "--report", File("report.log"), File("good.mp3")});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_FALSE(std::filesystem::exists(File("report.log")));

    // A report that cannot be written stops the command before any check.
    Outcome nowhere = Cli({"check", "--report", File("missing/r.txt"), File("good.mp3")});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_EQ(nowhere.out, "");
    EXPECT_NE(nowhere.err.find("cannot write " + File("missing/r.txt")), std::string::npos);
}

TEST_F(CheckCommand, SeveralJobsGiveTheSameOutputInTheSameOrder)
{
    for (int i = 0; i < 6; ++i)
        std::filesystem::copy_file(File(i % 2 ? "bad.mp3" : "good.mp3"),
                                   File("copy" + std::to_string(i) + ".mp3"));
    const Outcome one = Cli({"check", "-vj1", m_dir.Path().string()});
    const Outcome four = Cli({"check", "-v", "--jobs=4", m_dir.Path().string()});
    EXPECT_EQ(four.status, one.status);
    EXPECT_EQ(four.out, one.out);
}

// Scripts get numbers in fixed columns: errors, intact and total ms, intact
// percent, stretches, damaged bytes, bytes cut off, first damage ms, frames
// that do not decode ("-" without --decode or when unknown).
TEST_F(CheckCommand, DetailsAreColumnsForScriptsAndFollowAReportBlockOnlyWhenAsked)
{
    CMP3StreamBuilder cut;
    cut.Frames(kMpeg1L3, kMpeg1L3Length, 10).Frame(kMpeg1L3, 17);
    cut.WriteTo(File("cut.mp3"));
    const struct
    {
        const char* file;
        const char* columns;
    } cases[] = {
        {"good.mp3", "OK\t%\t0\t784\t784\t100.0\t0\t0\t0\t-\t-"},
        {"bad.mp3", "Corrupt\t%\t12\t78\t81\t96.3\t1\t48\t0\t78\t-"},
        {"cut.mp3", "OK\t%\t0\t287\t287\t100.0\t0\t0\t400\t-\t-"},
        {"absent.mp3", "Corrupt\t%\t-\t-\t-\t-\t-\t-\t-\t-\t-"},
    };
    for (const auto& c : cases)
    {
        std::string expected = c.columns;
        expected.replace(expected.find('%'), 1, File(c.file));
        EXPECT_EQ(Cli({"check", "--tsv", "--details", File(c.file)}).out, expected + "\n");
    }
    EXPECT_EQ(Cli({"check", "--tsv", "--details", "--decode", File("good.mp3")}).out,
              "OK\t" + File("good.mp3") + "\t0\t784\t784\t100.0\t0\t0\t0\t-\t0\n");
    EXPECT_EQ(Cli({"check", "--details", File("good.mp3")}).status, 2);

    for (const bool details : {false, true})
    {
        std::vector<std::string> args = {"check", "--report", File("r.txt"), File("bad.mp3")};
        if (details)
            args.push_back("--details");
        Cli(args);
        const std::vector<std::uint8_t> bytes = ReadFileBytes(File("r.txt"));
        const std::string report(bytes.begin(), bytes.end());
        const std::string after = "Length: 0:00\r\n";
        ASSERT_NE(report.find(after), std::string::npos) << report;
        const std::string next = report.substr(report.find(after) + after.size());
        EXPECT_EQ(next.substr(0, 6), details ? "    in" : "\r\n") << details;
    }
}

// With the history: an unchanged file is answered without being read, so a
// stream turned to junk under the same size and time still reads OK to -i;
// --verify reads it, says Changed and fails; a real change is checked anew.
TEST_F(CheckCommand, IncrementalAndVerifyUseTheHistory)
{
    const std::string good = File("good.mp3");
    EXPECT_EQ(Cli({"check", "-i", "--tsv", good, File("bad.mp3")}).out,
              "OK\t" + good + "\nCorrupt\t" + File("bad.mp3") + "\n");
    const auto time = std::filesystem::last_write_time(good);
    const auto size = std::filesystem::file_size(good);
    std::ofstream(good, std::ios::binary) << std::string(size, 'x');
    std::filesystem::last_write_time(good, time);

    EXPECT_EQ(Cli({"check", "-i", "--tsv", good}).out, "OK\t" + good + "\n");
    const Outcome verified = Cli({"check", "--verify", good});
    EXPECT_EQ(verified.status, 1);
    EXPECT_NE(verified.out.find("Changed  " + good +
                                "\n    the audio changed, its size and "
                                "date did not; last seen intact on "),
              std::string::npos);

    std::filesystem::last_write_time(good, time + std::chrono::seconds(1));
    EXPECT_EQ(Cli({"check", "-i", "--tsv", good}).out, "Corrupt\t" + good + "\n");
}

// Lines in the order of the files whatever the jobs; a file without audio
// makes the status 1; a second run finds the repaired file sound, and the
// originals in the backup folder are never repaired, even when named.
TEST(RepairCommand, RepairsInOrderAndLeavesTheBackupsAlone)
{
    CTempDir dir;
    CMP3StreamBuilder().Frames(kMpeg1L3, kMpeg1L3Length, 8).WriteTo(dir.File("a-good.mp3"));
    CMP3StreamBuilder()
        .Frames(kMpeg1L3, kMpeg1L3Length, 8)
        .Text("junk")
        .Frames(kMpeg1L3, kMpeg1L3Length, 8)
        .WriteTo(dir.File("b-bad.mp3"));
    CMP3StreamBuilder().Bytes({0xFF, 0xFF, 0xFF, 0xFF}).WriteTo(dir.File("c-empty.mp3"));
    const std::string folder = dir.Path().string();

    const Outcome planned = Cli({"repair", "--dry-run", "-r", folder});
    EXPECT_EQ(planned.status, 1);
    EXPECT_NE(planned.out.find("b-bad.mp3: would repair: 1 stretch of junk removed (421 bytes), "
                               "Info frame added, 0:00.03 of audio lost\n"),
              std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / ".tunewright-backup"));

    const Outcome repaired = Cli({"repair", "-r", "--jobs", "3", folder});
    EXPECT_EQ(repaired.status, 1);
    EXPECT_EQ(repaired.out,
              dir.File("a-good.mp3") + ": already sound\n" + dir.File("b-bad.mp3") +
                  ": repaired: 1 stretch of junk removed (421 bytes), Info frame added, 0:00.03 "
                  "of audio lost\n" +
                  dir.File("c-empty.mp3") + ": not repairable: no MPEG audio found\n" +
                  "3 files: 1 repaired, 1 already sound, 1 not repaired\n");

    const Outcome again = Cli({"repair", "-r", dir.File("a-good.mp3"), dir.File("b-bad.mp3"),
                               (dir.Path() / ".tunewright-backup").string()});
    EXPECT_EQ(again.status, 1);
    EXPECT_EQ(again.out, dir.File("a-good.mp3") + ": already sound\n" + dir.File("b-bad.mp3") +
                             ": already sound\n" + dir.File(".tunewright-backup/b-bad.mp3") +
                             ": not repairable: it is an original kept in a backup folder\n" +
                             "3 files: 0 repaired, 2 already sound, 1 not repaired\n");
}

struct UsageCase
{
    std::vector<std::string> args;
    std::string message; // after "tunewright-cli COMMAND: "
};

// Every command reads its command line through the same parser: the same
// forms, the same words for the same mistakes, and exit status 2, with
// nothing on standard output.
TEST(CliUsage, EveryCommandWordsTheSameMistakesAlike)
{
    std::vector<UsageCase> cases;
    for (const char* command : {"check", "info", "convert", "tags", "repair"})
    {
        const std::string c = command;
        cases.push_back({{c, "--frob", "a.mp3"}, "unknown option '--frob'"});
        cases.push_back({{c, "--frob=1", "a.mp3"}, "unknown option '--frob'"});
        cases.push_back({{c, "-Q", "a.mp3"}, "unknown option '-Q'"});
        cases.push_back({{c, "--help=yes"}, "option '--help' takes no value"});
    }
    const std::string jobs = "is not a valid value for ";
    cases.insert(
        cases.end(),
        {
            {{"check", "a.mp3", "--jobs"}, "option '--jobs' needs a value"},
            {{"check", "--report"}, "option '--report' needs a value"},
            {{"check", "--jobs=0", "a.mp3"},
             "'0' " + jobs + "--jobs: it takes a number of files to check at a time, 1 or more"},
            {{"check", "-jx", "a.mp3"},
             "'x' " + jobs + "-j: it takes a number of files to check at a time, 1 or more"},
            {{"check", "--tsv=1", "a.mp3"}, "option '--tsv' takes no value"},
            {{"check"}, "no file or folder to check"},
            {{"convert", "a.mp3", "--to"}, "option '--to' needs a value"},
            {{"convert", "--to=flac", "a.mp3"},
             "'flac' " + jobs + "--to: it takes mp3, ogg, wav or mp3-to-mp3"},
            {{"convert", "--to", "mp3", "--bitrate", "384", "a.mp3"},
             "'384' " + jobs + "--bitrate: it takes 64, 96, 128, 160, 192, 256 or 320"},
            {{"convert", "--to", "ogg", "--ogg-managed=192,160,128", "a.mp3"},
             "'192,160,128' " + jobs +
                 "--ogg-managed: it takes MIN,NOM,MAX from 128, 160, 192, 256, 350, in rising "
                 "order"},
            {{"convert", "-j", "0", "--to", "mp3", "a.mp3"},
             "'0' " + jobs + "-j: it takes a number of files to convert at a time, 1 or more"},
            {{"convert", "a.mp3"}, "say what to convert to with --to mp3, ogg, wav or mp3-to-mp3"},
            {{"tags", "a.mp3", "--title"}, "option '--title' needs a value"},
            {{"tags", "--undo", "--title=T", "a.mp3"}, "--undo sets no texts of its own"},
            {{"info"}, "no file given"},
            {{"repair"}, "no file or folder to repair"},
            {{"repair", "--backup", "", "a.mp3"}, "'' " + jobs + "--backup: it takes a folder"},
            {{"repair", "--dry-run=1", "a.mp3"}, "option '--dry-run' takes no value"},
        });
    for (const UsageCase& c : cases)
    {
        const Outcome r = Cli(c.args);
        EXPECT_EQ(r.status, kExitUsage) << c.message;
        EXPECT_EQ(r.out, "") << c.message;
        const std::string& command = c.args.front();
        EXPECT_EQ(r.err, "tunewright-cli " + command + ": " + c.message + "\nTry 'tunewright-cli " +
                             command + " --help'.\n");
    }
}

TEST(CliUsage, NoCommandOrAnUnknownOne)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, std::vector<std::string>{"frobnicate"}})
    {
        const Outcome r = Cli(args);
        EXPECT_EQ(r.status, kExitUsage);
        EXPECT_NE(r.err.find("Try 'tunewright-cli --help'."), std::string::npos);
    }
    // Asked for, the usage is no error: status 0, on standard output.
    for (const char* command : {"check", "info", "convert", "tags", "repair", "history"})
    {
        const Outcome r = Cli({command, "--help"});
        EXPECT_EQ(r.status, kExitOk) << command;
        EXPECT_EQ(r.out.rfind("Usage: tunewright-cli " + std::string(command), 0), 0u) << command;
    }
}

TEST(FileCollector, SortsEachFolderAndRecursesOnlyWhenAsked)
{
    CTempDir dir;
    fs::create_directories(dir.Path() / "b" / "c");
    for (const char* name : {"z.mp3", "a.MP3", "m.wav", "b/x.mp3", "b/c/y.mp3"})
        std::ofstream{dir.Path() / name};

    CFileCollector flat({AudioKind::Mp3}, false);
    flat.Add(dir.Path().string());
    EXPECT_EQ(flat.Files(), (std::vector<std::string>{dir.File("a.MP3"), dir.File("z.mp3")}));

    CFileCollector deep({AudioKind::Mp3}, true);
    deep.Add(dir.Path().string());
    EXPECT_EQ(deep.Files(), (std::vector<std::string>{dir.File("a.MP3"), dir.File("b/c/y.mp3"),
                                                      dir.File("b/x.mp3"), dir.File("z.mp3")}));
    EXPECT_TRUE(deep.Errors().empty());
}

TEST(FileCollector, LinkedFoldersAreNotFollowedSoCyclesEnd)
{
    CTempDir dir;
    fs::create_directories(dir.Path() / "a");
    std::ofstream{dir.Path() / "a" / "song.mp3"};
    fs::create_directory_symlink(dir.Path(), dir.Path() / "a" / "loop");

    CFileCollector deep({AudioKind::Mp3}, true);
    deep.Add(dir.Path().string());
    EXPECT_EQ(deep.Files(), std::vector<std::string>{dir.File("a/song.mp3")});
}

TEST(FileCollector, NamedFilesStayAsGivenAndEmptyFoldersAreNoted)
{
    CTempDir dir;
    fs::create_directory(dir.Path() / "empty");
    CFileCollector collector({AudioKind::Mp3, AudioKind::Ogg}, false);
    collector.Add(dir.File("missing.ogg"));
    collector.Add(dir.File("empty"));
    EXPECT_EQ(collector.Files(), std::vector<std::string>{dir.File("missing.ogg")});
    EXPECT_EQ(collector.EmptyFolders(), std::vector<std::string>{dir.File("empty")});
}

#include "cli/Cli.h"
#include "support/MP3StreamBuilder.h"
#include "support/TempDir.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sstream>

using namespace mp3words;

namespace
{
struct Outcome
{
    int status;
    std::string out;
};

Outcome Cli(const std::vector<std::string>& args)
{
    std::ostringstream out, err;
    CliContext context(out, err);
    const int status = RunCli(args, context);
    return {status, out.str()};
}
} // namespace

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

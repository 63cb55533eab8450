#include "repair/MP3Repair.h"

#include "check/MP3Check.h"
#include "check/MP3InformationFrame.h"
#include "check/MP3StreamStart.h"
#include "repair/RepairBackup.h"
#include "support/FileSizeLimit.h"
#include "support/MP3StreamBuilder.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <unistd.h>

using namespace mp3words;
namespace fs = std::filesystem;

namespace
{
using Bytes = std::vector<std::uint8_t>;

// MPEG-1 Layer III, 160 kbit/s, 44100 Hz: 522 bytes.
constexpr std::uint32_t kMpeg1L3At160 = 0xFFFBA064u;
constexpr std::size_t kMpeg1L3At160Length = 522;

void Append(Bytes& to, const Bytes& bytes)
{
    to.insert(to.end(), bytes.begin(), bytes.end());
}

// A silent frame whose last bytes carry its number, so that frames can be
// told apart and their order checked.
Bytes NumberedFrame(std::uint32_t header, std::size_t length, std::uint32_t number)
{
    Bytes frame = CMP3StreamBuilder().Frame(header, length).Data();
    for (int i = 0; i < 3; ++i)
        frame[length - 1 - i] = static_cast<std::uint8_t>(1 + (number >> (7 * i) & 0x7F));
    return frame;
}

// A Xing frame with counts that were never true.
Bytes WrongXingFrame()
{
    Bytes frame = CMP3StreamBuilder().Frame(kMpeg1L3, kMpeg1L3Length).Data();
    const Bytes block = {'X', 'i', 'n', 'g', 0, 0, 0, 3, 0, 0, 3, 0xE7, 0, 0x10, 0, 0};
    std::copy(block.begin(), block.end(), frame.begin() + 36);
    return frame;
}

// A LAME information frame whose Xing block was overwritten.
Bytes OverwrittenLameFrame()
{
    Bytes frame = CMP3StreamBuilder().Frame(kMpeg1L3, kMpeg1L3Length).Data();
    std::fill(frame.begin() + 36, frame.begin() + 156, 0x55);
    const std::string name = "LAME3.100";
    std::copy(name.begin(), name.end(), frame.begin() + 156);
    return frame;
}

// An APEv2 tag of one item, footer only.
Bytes ApeTag()
{
    Bytes tag = {1, 0, 0, 0, 0, 0, 0, 0, 'T', 'i', 't', 'l', 'e', 0, 'x'};
    const auto size = static_cast<std::uint8_t>(tag.size() + 32);
    Append(tag, {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 7, 0, 0, size, 0, 0, 0,
                 1,   0,   0,   0,   0,   0,   0,   0,   0,    0, 0, 0, 0,    0, 0, 0});
    return tag;
}

// A damaged stream and what its repair must give: its parts in order, each
// kept or not. The kept audio frames must come out unchanged and in order,
// after the kept leading part and a new information frame, before the kept
// trailing part.
struct Part
{
    enum Kind
    {
        Lead,
        Audio,
        Dropped,
        Trail
    } kind;
    Bytes bytes;
};

struct RepairCase
{
    const char* name;
    std::vector<Part> parts;
    std::size_t junkStretches;
    RepairChanges::Header header;
    bool variable;
};

std::vector<Part> AudioFrames(std::uint32_t first, std::uint32_t count, bool variable = false)
{
    std::vector<Part> parts;
    for (std::uint32_t n = first; n < first + count; ++n)
    {
        const bool high = variable && n % 3 == 0;
        parts.push_back(
            {Part::Audio, NumberedFrame(high ? kMpeg1L3At160 : kMpeg1L3,
                                        high ? kMpeg1L3At160Length : kMpeg1L3Length, n)});
    }
    return parts;
}

// The frame before junk runs into it, so a repair drops it.
std::vector<Part> DropLast(std::vector<Part> parts)
{
    parts.back().kind = Part::Dropped;
    return parts;
}

Bytes Text(const std::string& text)
{
    return {text.begin(), text.end()};
}

std::vector<Part> Join(std::initializer_list<std::vector<Part>> pieces)
{
    std::vector<Part> all;
    for (const std::vector<Part>& piece : pieces)
        all.insert(all.end(), piece.begin(), piece.end());
    return all;
}

std::vector<RepairCase> Cases()
{
    using H = RepairChanges::Header;
    const Part junk{Part::Dropped, Text("junk between the frames")};
    Bytes cutShort = NumberedFrame(kMpeg1L3, kMpeg1L3Length, 99);
    cutShort.resize(200);
    return {
        {"JunkBetweenFrames", Join({DropLast(AudioFrames(0, 10)), {junk}, AudioFrames(10, 10)}), 1,
         H::Added, false},
        {"TruncatedLastFrame",
         Join(
             {DropLast(AudioFrames(0, 8)), {junk}, AudioFrames(8, 8), {{Part::Dropped, cutShort}}}),
         2, H::Added, false},
        {"WrongVbrHeader",
         Join({{{Part::Dropped, WrongXingFrame()}},
               DropLast(AudioFrames(0, 12, true)),
               {junk},
               AudioFrames(12, 12, true)}),
         1, H::Rewritten, true},
        {"OverwrittenVbrHeader",
         Join({{{Part::Dropped, OverwrittenLameFrame()}},
               DropLast(AudioFrames(0, 6, true)),
               {junk},
               AudioFrames(6, 6, true)}),
         1, H::Rewritten, true},
        {"MissingVbrHeader",
         Join({DropLast(AudioFrames(0, 9, true)), {junk}, AudioFrames(9, 9, true)}), 1, H::Added,
         true},
        {"JunkBeforeTheFirstFrame",
         Join({{{Part::Dropped, {0xFF, 0xFF, 0xFF, 0xFF, 'x', 'y'}}}, AudioFrames(0, 12)}), 1,
         H::Added, false},
        {"TagsBeforeAndAfter",
         Join({{{Part::Lead, CMP3StreamBuilder().Id3v2(64).Data()}},
               DropLast(AudioFrames(0, 6)),
               {junk},
               AudioFrames(6, 6),
               {{Part::Trail, ApeTag()}, {Part::Trail, CMP3StreamBuilder().Id3v1().Data()}}}),
         1, H::Added, false},
    };
}

class MP3Repair : public testing::TestWithParam<RepairCase>
{
protected:
    std::string WriteCase(const std::string& name)
    {
        const std::string path = m_dir.File(name);
        Bytes data;
        for (const Part& part : GetParam().parts)
            Append(data, part.bytes);
        WriteFileBytes(path, data);
        return path;
    }

    CTempDir m_dir;
};

// Every result is sound by the walk and holds the original's frames byte
// for byte, with a true information frame; the original is in the backup
// folder and the log says what was done.
TEST_P(MP3Repair, KeepsEveryFrameAndMakesTheFileSound)
{
    const RepairCase& c = GetParam();
    const std::string path = WriteCase("track.mp3");
    const Bytes original = ReadFileBytes(path);
    ASSERT_FALSE(CMP3Check().CheckFile(path, nullptr));

    const RepairResult planned = RepairMP3File(path, {true, {}});
    EXPECT_EQ(planned.outcome, RepairOutcome::Planned);
    EXPECT_EQ(ReadFileBytes(path), original);
    EXPECT_FALSE(fs::exists(DefaultBackupFolder(path)));

    const RepairResult result = RepairMP3File(path, {});
    ASSERT_EQ(result.outcome, RepairOutcome::Repaired) << result.reason;
    EXPECT_EQ(result.changes.junkStretches, c.junkStretches);
    EXPECT_EQ(result.changes.header, c.header);
    EXPECT_EQ(result.changes.variableBitrate, c.variable);
    EXPECT_EQ(planned.changes.bytesDropped, result.changes.bytesDropped);

    Bytes lead, audio, trail;
    std::uint32_t frames = 0;
    for (const Part& part : c.parts)
    {
        Append(part.kind == Part::Lead    ? lead
               : part.kind == Part::Trail ? trail
                                          : audio,
               part.kind == Part::Dropped ? Bytes{} : part.bytes);
        frames += part.kind == Part::Audio ? 1 : 0;
    }
    const Bytes repaired = ReadFileBytes(path);
    ASSERT_GT(repaired.size(), lead.size() + audio.size() + trail.size());
    const auto infoStart = repaired.begin() + static_cast<std::ptrdiff_t>(lead.size());
    const auto audioStart =
        repaired.end() - static_cast<std::ptrdiff_t>(audio.size() + trail.size());
    EXPECT_TRUE(std::equal(lead.begin(), lead.end(), repaired.begin()));
    EXPECT_TRUE(std::equal(audio.begin(), audio.end(), audioStart));
    EXPECT_TRUE(std::equal(trail.begin(), trail.end(),
                           audioStart + static_cast<std::ptrdiff_t>(audio.size())));

    MP3StreamStart start;
    start.found = true;
    start.firstFrame.assign(infoStart, audioStart);
    CMP3Check::DecodeHeader(kMpeg1L3, start.frame);
    const MP3InformationFrame info = ReadInformationFrame(start);
    EXPECT_EQ(info.frames, frames);
    EXPECT_EQ(info.bytes, start.firstFrame.size() + audio.size());
    const bool lame = std::string(c.name) == "OverwrittenVbrHeader";
    const std::vector<std::uint8_t>& first = start.firstFrame;
    EXPECT_EQ(first.size() >= 160 &&
                  std::string(first.begin() + 156, first.begin() + 160) == "LAME",
              lame);

    EXPECT_TRUE(CMP3Check().CheckFile(path, nullptr));
    EXPECT_EQ(ReadFileBytes(result.backupPath), original);
    EXPECT_EQ(fs::path(result.backupPath).parent_path(), fs::path(DefaultBackupFolder(path)));
    EXPECT_EQ(ReadFileBytes(DefaultBackupFolder(path) + "/" + kRepairLogName).empty(), false);
    EXPECT_EQ(RepairMP3File(path, {}).outcome, RepairOutcome::AlreadySound);
}

INSTANTIATE_TEST_SUITE_P(DamagedStreams, MP3Repair, testing::ValuesIn(Cases()),
                         [](const testing::TestParamInfo<RepairCase>& param)
                         { return std::string(param.param.name); });

// A step that fails leaves the original exactly as it was, and nothing of
// the repair behind beside it.
TEST(MP3RepairSafety, AFailedStepLeavesTheOriginalAlone)
{
    struct Step
    {
        const char* name;
        std::function<std::string(CTempDir&)> arrange; // gives the backup folder
        bool rootCannotFail;
    };
    const std::vector<Step> steps = {
        {"backup folder is a file",
         [](CTempDir& dir)
         {
             std::ofstream(dir.File("taken")) << "a file";
             return dir.File("taken");
         },
         false},
        {"read-only folder",
         [](CTempDir& dir)
         {
             fs::permissions(dir.Path() / "music", fs::perms::owner_read | fs::perms::owner_exec);
             return std::string();
         },
         true},
    };
    for (const Step& step : steps)
    {
        if (step.rootCannotFail && geteuid() == 0)
            continue; // permissions do not stop root
        CTempDir dir;
        fs::create_directory(dir.Path() / "music");
        const std::string path = (dir.Path() / "music" / "track.mp3").string();
        CMP3StreamBuilder()
            .Frames(kMpeg1L3, kMpeg1L3Length, 5)
            .Text("junk")
            .Frames(kMpeg1L3, kMpeg1L3Length, 5)
            .WriteTo(path);
        const Bytes original = ReadFileBytes(path);
        const RepairResult result = RepairMP3File(path, {false, step.arrange(dir)});
        fs::permissions(dir.Path() / "music", fs::perms::owner_all);
        EXPECT_EQ(result.outcome, RepairOutcome::Failed) << step.name;
        EXPECT_FALSE(result.reason.empty()) << step.name;
        EXPECT_EQ(ReadFileBytes(path), original) << step.name;
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path() / "music"), {}), 1) << step.name;
    }

    // A write that fails as on a full disk.
    CTempDir dir;
    const std::string path = dir.File("track.mp3");
    CMP3StreamBuilder()
        .Frames(kMpeg1L3, kMpeg1L3Length, 50)
        .Text("junk")
        .Frames(kMpeg1L3, kMpeg1L3Length, 50)
        .WriteTo(path);
    const Bytes original = ReadFileBytes(path);
    RepairResult result;
    {
        CFileSizeLimit limit(8192);
        if (!limit.Active())
            GTEST_SKIP() << "no file size limit here";
        result = RepairMP3File(path, {});
    }
    EXPECT_EQ(result.outcome, RepairOutcome::Failed);
    EXPECT_NE(DescribeRepair(result).find("cannot write"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), original);
}

// A link is followed to its file, which is repaired in place of the link;
// other hard links of the file see the repair; a name taken in the backup
// folder gives "name (2)".
TEST(MP3RepairSafety, FollowsLinksAndKeepsBackupsApart)
{
    CTempDir dir;
    const std::string target = dir.File("track.mp3");
    const auto damaged = CMP3StreamBuilder()
                             .Frames(kMpeg1L3, kMpeg1L3Length, 5)
                             .Text("junk")
                             .Frames(kMpeg1L3, kMpeg1L3Length, 5);
    damaged.WriteTo(target);
    fs::create_symlink(target, dir.File("link.mp3"));
    fs::create_hard_link(target, dir.File("hard.mp3"));
    fs::create_directory(DefaultBackupFolder(target));
    std::ofstream(DefaultBackupFolder(target) + "/track.mp3") << "an older original";

    const RepairResult result = RepairMP3File(dir.File("link.mp3"), {});
    ASSERT_EQ(result.outcome, RepairOutcome::Repaired) << result.reason;
    EXPECT_TRUE(fs::is_symlink(dir.File("link.mp3")));
    EXPECT_TRUE(CMP3Check().CheckFile(target, nullptr));
    EXPECT_EQ(ReadFileBytes(dir.File("hard.mp3")), ReadFileBytes(target));
    EXPECT_EQ(fs::path(result.backupPath).filename(), "track (2).mp3");
    EXPECT_EQ(ReadFileBytes(result.backupPath), damaged.Data());
}

TEST(MP3RepairSafety, NoAudioIsNotRepairable)
{
    CTempDir dir;
    CMP3StreamBuilder()
        .Bytes({0xFF, 0xFF, 0xFF, 0xFF})
        .Text("no frames at all")
        .WriteTo(dir.File("a.mp3"));
    const RepairResult result = RepairMP3File(dir.File("a.mp3"), {});
    EXPECT_EQ(result.outcome, RepairOutcome::NotRepairable);
    EXPECT_EQ(DescribeRepair(result), std::string("not repairable: ") + kNoAudioFound);
}
} // namespace

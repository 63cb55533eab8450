#include "check/MP3CheckTask.h"

#include "check/IProgressSink.h"
#include "check/MP3DecodeCheck.h"
#include "check/MP3Timing.h"
#include "support/AudioFiles.h"
#include "support/MP3StreamBuilder.h"
#include "support/RecordingSink.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>

using namespace mp3words;

TEST(MP3CheckTask, ChecksEachPathAndSaysWhyOneCannotBeRead)
{
    CTempDir dir;
    CMP3StreamBuilder good;
    good.Id3v2(64).Frames(kMpeg1L3, kMpeg1L3Length, 500);
    good.WriteTo(dir.File("good.mp3"));
    CMP3StreamBuilder bad;
    bad.Frames(kMpeg1L3, kMpeg1L3Length, 3).Zeros(1).Frames(kMpeg1L3, kMpeg1L3Length, 3);
    bad.WriteTo(dir.File("Ünïcode bad.mp3"));

    CMP3CheckTask task;
    CRecordingSink sink;
    task.SetPath(dir.File("good.mp3"));
    EXPECT_TRUE(task.Run(&sink));
    EXPECT_EQ(task.GetResult().countedFrames, 500u);
    ASSERT_GE(sink.values.size(), 3u);
    EXPECT_EQ(sink.values.front(), 0);
    EXPECT_EQ(sink.values[sink.values.size() - 2], 99);
    EXPECT_EQ(sink.values.back(), 0);

    task.SetPath(dir.File("Ünïcode bad.mp3"));
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_TRUE(task.GetResult().readable);
    EXPECT_EQ(task.GetResult().errors, 1u);

    // Files that cannot be read are not sound and say why.
    task.SetPath(dir.File("missing.mp3"));
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_FALSE(task.GetResult().readable);
    EXPECT_EQ(task.GetResult().failure, "cannot open the file: No such file or directory");

    task.SetPath(dir.Path().string());
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_EQ(task.GetResult().failure, "it is a folder, not a file");

    // A pipe has no end to walk to; it must be refused, not waited on.
    ASSERT_EQ(mkfifo(dir.File("pipe.mp3").c_str(), 0600), 0);
    task.SetPath(dir.File("pipe.mp3"));
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_EQ(task.GetResult().failure, "it is not a regular file");
}

namespace
{
// The offsets of the frames of a file that is one clean stream from `start`.
std::vector<std::size_t> FrameOffsets(const std::vector<std::uint8_t>& bytes, std::size_t start)
{
    std::vector<std::size_t> offsets;
    for (std::size_t at = start; at + 4 <= bytes.size();)
    {
        MP3FrameInfo frame;
        CMP3Check::DecodeHeader(static_cast<std::uint32_t>(bytes[at]) << 24 | bytes[at + 1] << 16 |
                                    bytes[at + 2] << 8 | bytes[at + 3],
                                frame);
        if (!frame.valid)
            break;
        offsets.push_back(at);
        at += static_cast<std::size_t>(frame.frameLength);
    }
    return offsets;
}

std::vector<std::uint8_t> EncodedTone(const CTempDir& dir)
{
    return ReadFileBytes(WriteTestMp3(dir.File("tone.mp3"), 3.0));
}
} // namespace

// Garbage in frame bodies behind sound headers: the walk cannot see it, the
// deep check must, at the first garbled frame.
TEST(MP3DeepCheck, FindsGarbageInsideFramesWhoseHeadersAreSound)
{
    CTempDir dir;
    CMP3StreamBuilder silence;
    silence.Frames(kMpeg1L3, kMpeg1L3Length, 100);
    struct Case
    {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::size_t garbleFrom, garbleCount;
    };
    const Case cases[] = {
        {"silent frames", silence.Data(), 0, 0},
        {"silent frames, five garbled", silence.Data(), 40, 5},
        {"encoded tone", EncodedTone(dir), 0, 0},
        {"encoded tone, one garbled", EncodedTone(dir), 60, 1},
        {"encoded tone, ten garbled", EncodedTone(dir), 60, 10},
    };
    std::mt19937 random(18);
    CMP3DecodeCheck deep;
    for (const Case& c : cases)
    {
        std::vector<std::uint8_t> bytes = c.bytes;
        const std::vector<std::size_t> frames = FrameOffsets(bytes, 0);
        ASSERT_GT(frames.size(), c.garbleFrom + c.garbleCount) << c.name;
        for (std::size_t f = c.garbleFrom; f < c.garbleFrom + c.garbleCount; ++f)
            for (std::size_t at = frames[f] + 4; at < frames[f + 1]; ++at)
                bytes[at] = static_cast<std::uint8_t>(random());
        const std::string path = dir.File("case.mp3");
        WriteFileBytes(path, bytes);

        CMP3CheckTask task;
        task.SetPath(path);
        EXPECT_TRUE(task.Run(nullptr)) << c.name; // the walk alone
        task.SetDeepCheck(&deep);
        const bool garbled = c.garbleCount > 0;
        EXPECT_EQ(task.Run(nullptr), !garbled) << c.name;
        const MP3DecodeResult& decode = task.GetResult().decode;
        EXPECT_EQ(decode.frames, frames.size()) << c.name;
        EXPECT_EQ(decode.failure, "") << c.name;
        if (!garbled)
            continue;
        ASSERT_FALSE(decode.faults.empty()) << c.name;
        EXPECT_LE(decode.badFrames, c.garbleCount + 1) << c.name;
        EXPECT_EQ(decode.faults.front().offset, frames[c.garbleFrom]) << c.name;
        EXPECT_EQ(decode.faults.front().ticks, c.garbleFrom * MP3SampleTicks(1152, 44100))
            << c.name;
        EXPECT_NE(VerdictNote(task.GetResult()).find("not decode"), std::string::npos) << c.name;
    }
}

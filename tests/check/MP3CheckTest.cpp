#include "check/MP3Check.h"

#include "check/IProgressSink.h"
#include "support/MP3StreamBuilder.h"
#include "support/MemorySource.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace mp3words;

namespace
{
class CRecordingSink final : public IProgressSink
{
public:
    bool IsCancelled() const override { return false; }
    void SetProgress(int percent) override { values.push_back(percent); }
    std::vector<int> values;
};

// Every walk runs with the source delivering its bytes in pieces of the
// parameter's size, so that headers and frame bodies straddle buffer refills.
class MP3Walk : public testing::TestWithParam<std::size_t>
{
protected:
    MP3CheckResult Walk(const CMP3StreamBuilder& stream, IProgressSink* sink = nullptr)
    {
        CMemorySource source(stream.Data(), GetParam());
        CMP3Check check;
        const bool sound = check.CheckSource(source, sink);
        EXPECT_EQ(sound, check.GetResult().IsSound());
        EXPECT_TRUE(check.GetResult().readable);
        return check.GetResult();
    }
};

INSTANTIATE_TEST_SUITE_P(PieceSizes, MP3Walk, testing::Values(1, 7, 1000, 1 << 20));

const std::size_t kFrames = 20;
} // namespace

TEST_P(MP3Walk, FilesWithoutFramesAreSound)
{
    EXPECT_TRUE(Walk(CMP3StreamBuilder()).IsSound());
    EXPECT_TRUE(Walk(CMP3StreamBuilder().Text("just some text, not audio at all\n")).IsSound());
}

TEST_P(MP3Walk, ConsecutiveFramesAreSoundWithOrWithoutTags)
{
    CMP3StreamBuilder plain;
    plain.Frames(kMpeg1L3, kMpeg1L3Length, kFrames);
    MP3CheckResult result = Walk(plain);
    EXPECT_TRUE(result.IsSound());
    EXPECT_EQ(result.countedFrames, kFrames);

    CMP3StreamBuilder tagged;
    tagged.Id3v2(1000).Frames(kMpeg1L3, kMpeg1L3Length, kFrames).Id3v1();
    result = Walk(tagged);
    EXPECT_TRUE(result.IsSound());
    EXPECT_EQ(result.countedFrames, kFrames) << "the first frame after the tag is where expected";
}

TEST_P(MP3Walk, EachFrameLengthComesFromItsOwnHeader)
{
    // Padding, a higher bitrate and a protected frame, whose check word is
    // part of the body the walk skips.
    CMP3StreamBuilder stream;
    for (std::size_t i = 0; i < kFrames; ++i)
        stream.Frame(kMpeg1L3, kMpeg1L3Length)
            .Frame(kMpeg1L3Padded, kMpeg1L3PaddedLength)
            .Frame(0xFFFBE064u, 1044) // 320 kbit/s
            .Frame(kMpeg1L3Protected, kMpeg1L3Length);
    MP3CheckResult result = Walk(stream);
    EXPECT_TRUE(result.IsSound());
    EXPECT_EQ(result.countedFrames, 4 * kFrames);
}

TEST_P(MP3Walk, BytesBeforeTheFirstFrameAreNoError)
{
    CMP3StreamBuilder stream;
    stream.Zeros(10).Frames(kMpeg1L3, kMpeg1L3Length, kFrames);
    MP3CheckResult result = Walk(stream);
    EXPECT_TRUE(result.IsSound());
    EXPECT_EQ(result.countedFrames, kFrames - 1) << "the first frame was not where expected";

    // An ID3v2 tag whose size leaves padding before the audio.
    CMP3StreamBuilder padded;
    padded.Id3v2(100).Zeros(37).Frames(kMpeg1L3, kMpeg1L3Length, kFrames);
    EXPECT_TRUE(Walk(padded).IsSound());
}

TEST_P(MP3Walk, OneStrayByteBetweenFramesIsAMisplacedFrame)
{
    CMP3StreamBuilder stream;
    stream.Frames(kMpeg1L3, kMpeg1L3Length, 3).Bytes({0x00}).Frames(kMpeg1L3, kMpeg1L3Length, 3);
    MP3CheckResult result = Walk(stream);
    EXPECT_FALSE(result.IsSound());
    EXPECT_EQ(result.errors, 1u);
    ASSERT_EQ(result.damage.size(), 1u);
    EXPECT_EQ(result.damage[0].kind, MP3DamageKind::MisplacedFrame);
    EXPECT_EQ(result.damage[0].offset, 3 * kMpeg1L3Length + 1);
    EXPECT_EQ(result.damage[0].expectedOffset, 3 * kMpeg1L3Length);
    EXPECT_EQ(result.countedFrames, 5u) << "the walk goes on from the misplaced frame";
}

TEST_P(MP3Walk, TwoStrayFFBytesMakeAnUnusableHeaderAtTheBoundary)
{
    CMP3StreamBuilder stream;
    stream.Frames(kMpeg1L3, kMpeg1L3Length, 3)
        .Bytes({0xFF, 0xFF})
        .Frames(kMpeg1L3, kMpeg1L3Length, 3);
    MP3CheckResult result = Walk(stream);
    EXPECT_FALSE(result.IsSound());
    ASSERT_GE(result.damage.size(), 1u);
    EXPECT_EQ(result.damage[0].kind, MP3DamageKind::BadBitrateIndex);
    EXPECT_EQ(result.damage[0].offset, 3 * kMpeg1L3Length);
    EXPECT_EQ(result.damage[0].headerWord, 0xFFFFFFFBu);
}

TEST_P(MP3Walk, AnUnusableHeaderAtABoundaryIsFollowedByAFreshFourByteRead)
{
    // After FF FF FF FF the next four bytes are read whole: the frame right
    // behind is met 4 bytes late (one more error), not re-scanned byte by byte.
    CMP3StreamBuilder stream;
    stream.Frames(kMpeg1L3, kMpeg1L3Length, 2)
        .Bytes({0xFF, 0xFF, 0xFF, 0xFF})
        .Frames(kMpeg1L3, kMpeg1L3Length, 2);
    MP3CheckResult result = Walk(stream);
    EXPECT_EQ(result.errors, 2u);
    ASSERT_EQ(result.damage.size(), 2u);
    EXPECT_EQ(result.damage[1].kind, MP3DamageKind::MisplacedFrame);
    EXPECT_EQ(result.damage[1].offset, 2 * kMpeg1L3Length + 4);
}

TEST_P(MP3Walk, ATruncatedLastFrameIsSound)
{
    CMP3StreamBuilder stream;
    stream.Frames(kMpeg1L3, kMpeg1L3Length, kFrames).Frame(kMpeg1L3, 200);
    EXPECT_TRUE(Walk(stream).IsSound());
    CMP3StreamBuilder cutInHeader;
    cutInHeader.Frames(kMpeg1L3, kMpeg1L3Length, kFrames).Bytes({0xFF, 0xFB});
    EXPECT_TRUE(Walk(cutInHeader).IsSound());
}

TEST_P(MP3Walk, ZeroBytesAfterACountedFrameEndTheRun)
{
    CMP3StreamBuilder stream;
    stream.Frame(kMpeg1L3, kMpeg1L3Length).Zeros(8);
    MP3CheckResult result = Walk(stream);
    EXPECT_TRUE(result.IsSound());
    EXPECT_EQ(result.countedFrames, 1u);
}

TEST_P(MP3Walk, FreeFormatStreamsAreCorrupt)
{
    CMP3StreamBuilder stream;
    stream.Frames(kFreeFormat, kMpeg1L3Length, 2);
    MP3CheckResult result = Walk(stream);
    EXPECT_FALSE(result.IsSound());
    ASSERT_FALSE(result.damage.empty());
    EXPECT_EQ(result.damage[0].kind, MP3DamageKind::FreeFormatBitrate);
    EXPECT_EQ(result.damage[0].offset, 0u);
}

TEST_P(MP3Walk, UnusableHeadersAroundTheAudioCountButOtherBytesDoNot)
{
    CMP3StreamBuilder before;
    before.Text("junk").Bytes({0xFF, 0xE0, 0x00, 0x00}).Frames(kMpeg1L3, kMpeg1L3Length, 3);
    MP3CheckResult result = Walk(before);
    ASSERT_EQ(result.errors, 1u);
    EXPECT_EQ(result.damage[0].kind, MP3DamageKind::ReservedLayer);
    EXPECT_EQ(result.damage[0].offset, 4u);

    CMP3StreamBuilder after;
    after.Frames(kMpeg1L3, kMpeg1L3Length, 3).Text("LYRICS").Bytes({0xFF, 0xFF, 0x00, 0x00});
    EXPECT_EQ(Walk(after).errors, 1u);

    CMP3StreamBuilder harmless;
    harmless.Frames(kMpeg1L3, kMpeg1L3Length, 3).Text("APETAGEX trailing bytes").Id3v1();
    EXPECT_TRUE(Walk(harmless).IsSound());
}

TEST_P(MP3Walk, LostSyncIsSearchedByteByByteWithOneErrorForTheNextFrame)
{
    CMP3StreamBuilder stream;
    stream.Frames(kMpeg1L3, kMpeg1L3Length, 3).Zeros(100).Frames(kMpeg1L3, kMpeg1L3Length, 5);
    MP3CheckResult result = Walk(stream);
    EXPECT_EQ(result.errors, 1u);
    EXPECT_EQ(result.countedFrames, 7u);
}

TEST_P(MP3Walk, AnId3TagReachingPastTheEndIsSound)
{
    CMP3StreamBuilder stream;
    stream.Text("ID3").Bytes({3, 0, 0, 0x7F, 0x7F, 0x7F, 0x7F}).Frames(kMpeg1L3, kMpeg1L3Length, 2);
    EXPECT_TRUE(Walk(stream).IsSound());
    EXPECT_TRUE(Walk(CMP3StreamBuilder().Text("ID3")).IsSound());
    EXPECT_TRUE(Walk(CMP3StreamBuilder().Text("ID3").Bytes({4, 0})).IsSound());
}

TEST_P(MP3Walk, ProgressIsQuietWhileTheCountIsAMultipleOf200)
{
    CMP3StreamBuilder stream;
    stream.Frames(kMpeg1L3, kMpeg1L3Length, 1000);
    CRecordingSink sink;
    EXPECT_TRUE(Walk(stream, &sink).IsSound());

    // One report per step that ends with 2..999 frames counted, but for 200,
    // 400, 600 and 800; each the share of the 1000 frames the file holds.
    std::vector<int> expected;
    for (int counted = 2; counted < 1000; ++counted)
        if (counted % 200 != 0)
            expected.push_back(counted / 10);
    EXPECT_EQ(sink.values, expected);
}

TEST_P(MP3Walk, ProgressNeverPassesHundredWhenLaterFramesAreShorter)
{
    // The estimate comes from the long first frame, so it expects too few.
    CMP3StreamBuilder stream;
    stream.Frame(0xFFFBE064u, 1044).Frames(kMpeg1L3, kMpeg1L3Length, 50);
    CRecordingSink sink;
    Walk(stream, &sink);
    ASSERT_FALSE(sink.values.empty());
    EXPECT_EQ(*std::max_element(sink.values.begin(), sink.values.end()), 100);
}

TEST_P(MP3Walk, EveryErrorIsCountedButOnlyTheFirstThousandAreKept)
{
    CMP3StreamBuilder stream;
    for (int i = 0; i < 1500; ++i)
        stream.Bytes({0xFF, 0xFF, 0xFF, 0xFF});
    MP3CheckResult result = Walk(stream);
    EXPECT_EQ(result.errors, 1500u);
    EXPECT_EQ(result.damage.size(), MP3CheckResult::kMaxRecordedDamage);
    EXPECT_EQ(result.damage.back().offset, 4u * (MP3CheckResult::kMaxRecordedDamage - 1));
}

namespace
{
// A stream of random pieces: sound frames of several kinds, unusable headers,
// zeros, stray bytes, perhaps an ID3 tag first and a cut at the end.
CMP3StreamBuilder RandomStream(std::mt19937& engine)
{
    auto random = [&engine] { return static_cast<std::uint32_t>(engine()); };
    const std::pair<std::uint32_t, std::size_t> kKinds[] = {
        {kMpeg1L3, kMpeg1L3Length}, {kMpeg1L3Padded, kMpeg1L3PaddedLength},
        {0xFFFBE064u, 1044},        {kMpeg1L3Protected, kMpeg1L3Length},
        {0xFFF3A864u, 208},         {0xFFFFFFFFu, 4},
        {kFreeFormat, 417}};
    CMP3StreamBuilder stream;
    if (random() % 3 == 0)
        stream.Id3v2(random() % 300);
    const std::uint32_t pieces = 1 + random() % 40;
    for (std::uint32_t p = 0; p < pieces; ++p)
    {
        const std::uint32_t choice = random() % 10;
        if (choice < 7)
        {
            const auto& [header, length] = kKinds[random() % std::size(kKinds)];
            stream.Frames(header, length, 1 + random() % 300);
        }
        else if (choice == 7)
            stream.Zeros(random() % 9);
        else
            stream.Bytes({static_cast<std::uint8_t>(random()), 0xFF});
    }
    return stream;
}

MP3CheckResult WalkInPieces(const std::vector<std::uint8_t>& data, std::size_t piece,
                            std::vector<int>& progress)
{
    class CSink final : public IProgressSink
    {
    public:
        explicit CSink(std::vector<int>& values) : m_values(values) {}
        bool IsCancelled() const override { return false; }
        void SetProgress(int percent) override { m_values.push_back(percent); }

    private:
        std::vector<int>& m_values;
    } sink(progress);
    CMemorySource source(data, piece);
    CMP3Check check;
    check.CheckSource(source, &sink);
    return check.GetResult();
}
} // namespace

// Single-byte pieces keep every frame out of the buffer's fast path; large
// pieces send nearly all through it. Both must see the same file.
TEST(MP3CheckFastPath, CountsExactlyAsTheStepByStepWalk)
{
    std::mt19937 random(20261206);
    for (int round = 0; round < 150; ++round)
    {
        CMP3StreamBuilder stream = RandomStream(random);
        std::vector<std::uint8_t> data = stream.Data();
        data.resize(data.size() - random() % std::min<std::size_t>(data.size() + 1, 500));
        std::vector<int> slowProgress, fastProgress;
        const MP3CheckResult slow = WalkInPieces(data, 1, slowProgress);
        const MP3CheckResult fast = WalkInPieces(data, 1 << 20, fastProgress);
        ASSERT_EQ(fast.countedFrames, slow.countedFrames) << "round " << round;
        ASSERT_EQ(fast.errors, slow.errors) << "round " << round;
        ASSERT_EQ(fast.damage.size(), slow.damage.size());
        for (std::size_t i = 0; i < slow.damage.size(); ++i)
            ASSERT_EQ(fast.damage[i].offset, slow.damage[i].offset) << "round " << round;
        ASSERT_EQ(fastProgress, slowProgress) << "round " << round;
    }
}

TEST(MP3CheckReadErrors, AReadErrorIsNeverASoundVerdict)
{
    CMP3StreamBuilder stream;
    stream.Frames(kMpeg1L3, kMpeg1L3Length, kFrames);
    CMemorySource source(stream.Data(), 1000);
    source.FailAt(3000);
    CMP3Check check;
    EXPECT_FALSE(check.CheckSource(source, nullptr));
    EXPECT_FALSE(check.GetResult().readable);
    EXPECT_EQ(check.GetResult().failure, "read error: Input/output error");
}

namespace
{
// A stream of `frames` identical frames with one stray zero byte inserted at
// `strayAt`, generated as it is read, so that huge files need no memory.
class CGeneratedFrames final : public IByteSource
{
public:
    CGeneratedFrames(std::uint64_t frames, std::uint64_t strayAt)
        : m_size(frames * kMpeg1L3Length + 1), m_strayAt(strayAt)
    {
        CMP3StreamBuilder frame;
        frame.Frame(kMpeg1L3, kMpeg1L3Length);
        m_frame = frame.Data();
    }

    std::uint64_t Size() const override { return m_size; }
    bool Skip(std::uint64_t count) override
    {
        m_offset += count;
        return true;
    }
    std::string ErrorText() const override { return {}; }

    std::int64_t Read(std::uint8_t* dest, std::size_t count) override
    {
        std::size_t done = 0;
        while (done < count && m_offset < m_size)
        {
            if (m_offset == m_strayAt)
            {
                dest[done++] = 0;
                ++m_offset;
                continue;
            }
            const std::uint64_t framePos = m_offset > m_strayAt ? m_offset - 1 : m_offset;
            const std::size_t phase = static_cast<std::size_t>(framePos % kMpeg1L3Length);
            std::uint64_t limit = m_offset < m_strayAt ? m_strayAt : m_size;
            std::size_t n = static_cast<std::size_t>(
                std::min<std::uint64_t>({count - done, kMpeg1L3Length - phase, limit - m_offset}));
            std::memcpy(dest + done, m_frame.data() + phase, n);
            done += n;
            m_offset += n;
        }
        return static_cast<std::int64_t>(done);
    }

private:
    std::vector<std::uint8_t> m_frame;
    std::uint64_t m_size;
    std::uint64_t m_strayAt;
    std::uint64_t m_offset = 0;
};

class CMaximumSink final : public IProgressSink
{
public:
    bool IsCancelled() const override { return false; }
    void SetProgress(int percent) override
    {
        maximum = std::max(maximum, percent);
        last = percent;
    }
    int maximum = 0;
    int last = 0;
};
} // namespace

TEST(MP3CheckLargeFiles, AFileBeyondFourGigabytesIsWalkedToItsEnd)
{
    const std::uint64_t frames = (5ull << 30) / kMpeg1L3Length;
    const std::uint64_t strayFrame = (9ull << 29) / kMpeg1L3Length; // past 4 GiB
    CGeneratedFrames source(frames, strayFrame * kMpeg1L3Length);
    CMaximumSink sink;
    CMP3Check check;
    EXPECT_FALSE(check.CheckSource(source, &sink));

    const MP3CheckResult& result = check.GetResult();
    EXPECT_EQ(result.fileSize, frames * kMpeg1L3Length + 1);
    EXPECT_EQ(result.countedFrames, frames - 1);
    ASSERT_EQ(result.errors, 1u);
    EXPECT_EQ(result.damage[0].offset, strayFrame * kMpeg1L3Length + 1);
    EXPECT_EQ(result.damage[0].expectedOffset, strayFrame * kMpeg1L3Length);
    EXPECT_EQ(sink.maximum, 99);
    EXPECT_EQ(sink.last, 99);
}

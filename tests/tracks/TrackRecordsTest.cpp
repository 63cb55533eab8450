#include "audio/wav/AudioWaveFile.h"
#include "support/AudioFiles.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/AudioTrack.h"
#include "tracks/TagWriter.h"
#include "tracks/TrackInfo.h"

#include <filesystem>
#include <gtest/gtest.h>

TEST(TrackInfo, LengthTextAndTagsCutOnACharacterBoundary)
{
    TrackInfo track;
    // -300: a WAV shorter than its 400 ms allowance.
    const std::pair<int, const char*> lengths[] = {
        {59999, "0:59"}, {3600000, "60:00"}, {-300, "0:00"}, {187900, "3:07"}};
    for (const auto& [ms, text] : lengths)
    {
        track.SetLength(ms);
        EXPECT_EQ(track.lengthText, text) << ms;
    }
    EXPECT_EQ(track.lengthSeconds, 187);

    const std::string title = std::string(126, 'a') + "\xC3\xA9"; // the é straddles byte 127
    track.SetTags(title, std::string(200, 'b'), "Album");
    EXPECT_EQ(track.title, std::string(126, 'a'));
    EXPECT_EQ(track.artist, std::string(127, 'b'));
    EXPECT_EQ(track.album, "Album");
}

TEST(AudioTrack, TheExtensionAloneChoosesTheClass)
{
    CTempDir dir;
    const std::string wave = WriteSilentWave(dir.File("song.mp3.wav"), 1000);
    CAudioTrack track(wave);
    EXPECT_EQ(track.GetExtension(), ".WAV");
    EXPECT_NE(dynamic_cast<CAudioWaveFile*>(track.GetAudioFile()), nullptr);
    EXPECT_EQ(track.GetLength(), 1000);

    EXPECT_EQ(CAudioTrack(dir.File("song.Mp3")).GetAudioFile()->GetFormat(), kAudioFormatMpeg);
    EXPECT_EQ(CAudioTrack(dir.File("SONG.MP3")).GetAudioFile()->GetFormat(), kAudioFormatMpeg);
    CAudioTrack none(dir.File("xmp3"));
    EXPECT_EQ(none.GetAudioFile(), nullptr);
    EXPECT_EQ(none.GetLength(), 0);
    EXPECT_EQ(none.GetPathText(), dir.File("xmp3"));
}

TEST(AudioTrack, SectorsAreSeventyFifthsOfASecond)
{
    CTempDir dir;
    CDiscAudioTrack track;
    EXPECT_EQ(track.GetLengthInSectors(), 0);
    ASSERT_TRUE(track.SetFile(WriteSilentWave(dir.File("one.wav"), 1000)));
    EXPECT_EQ(track.GetLengthInSectors(), 75);
    ASSERT_TRUE(track.SetFile(WriteSilentWave(dir.File("minute.wav"), 60000)));
    EXPECT_EQ(track.GetLengthInSectors(), 4500);
    std::uint8_t buffer[64];
    ASSERT_TRUE(track.BeginDecoding());
    EXPECT_EQ(track.Read(64, 1, buffer, sizeof buffer), 64);
    track.EndDecoding();
    EXPECT_FALSE(track.SetFile(dir.File("missing.wav")));
}

namespace
{
// A WAV file whose tag writer reports success but cuts the file in half,
// as a writer that damaged the file without noticing would.
class CDamagingWriter final : public CAudioFile
{
public:
    CDamagingWriter(const std::string& path, std::int32_t length)
        : CAudioFile(kAudioFormatWave), m_length(length)
    {
        SetPath(path);
    }
    std::uint16_t GetBitsPerSample() const override { return 16; }
    std::uint32_t GetSampleRate() const override { return 44100; }
    std::uint16_t GetChannels() const override { return 2; }
    std::int32_t GetLength() const override { return m_length; }
    std::int32_t GetPosition() const override { return 0; }
    std::int32_t Read(std::size_t, std::size_t, void*, std::size_t) override { return 0; }
    void EndDecoding() override {}
    Status BeginDecoding() override { return {}; }
    Status Open(std::uint32_t) override { return {}; }
    Status WriteTags() override
    {
        std::filesystem::resize_file(GetPath(), std::filesystem::file_size(GetPath()) / 2);
        return {};
    }

private:
    std::int32_t m_length;
};
} // namespace

TEST(TagWriter, AFileDamagedByTheWriteIsAFailure)
{
    CTempDir dir;
    const std::string path = WriteTestWave(dir.File("a.wav"), 2.0);
    CDamagingWriter file(path, CAudioTrack(path).GetLength());
    const Status written = WriteTagsVerified(file);
    EXPECT_NE(written.Reason().find("after writing the tags"), std::string::npos)
        << written.Reason();
}

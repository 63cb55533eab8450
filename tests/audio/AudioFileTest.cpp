#include "audio/AudioFile.h"

#include "audio/AudioFileFactory.h"
#include "audio/wav/AudioWaveFile.h"
#include "support/AudioFiles.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace
{
// Counts how often the file is opened; its verdict is set by the test.
class CCountingFile final : public CAudioFile
{
public:
    CCountingFile() : CAudioFile(kAudioFormatMpeg) {}
    std::uint16_t GetBitsPerSample() const override { return 16; }
    std::uint32_t GetSampleRate() const override { return 44100; }
    std::uint16_t GetChannels() const override { return 2; }
    std::int32_t GetLength() const override { return 0; }
    std::int32_t GetPosition() const override { return 0; }
    std::int32_t Read(std::size_t, std::size_t, void*, std::size_t) override { return 0; }
    void EndDecoding() override {}
    Status BeginDecoding() override { return {}; }
    Status WriteTags() override { return {}; }
    Status Open(std::uint32_t access) override
    {
        ++opens;
        lastAccess = access;
        return verdict ? Status() : Status::Failure("refused");
    }
    int opens = 0;
    std::uint32_t lastAccess = 99;
    bool verdict = true;
};
} // namespace

TEST(AudioFile, IsValidOpensOncePerSetPath)
{
    CCountingFile file;
    EXPECT_FALSE(file.IsValid()) << "no path yet";
    EXPECT_EQ(file.opens, 0);
    file.SetPath("/music/a.mp3");
    EXPECT_TRUE(file.IsValid());
    EXPECT_TRUE(file.IsValid());
    EXPECT_EQ(file.opens, 1);
    EXPECT_EQ(file.lastAccess, kOpenParse);
    file.verdict = false;
    file.SetPath("/music/a.mp3");
    EXPECT_FALSE(file.IsValid());
    EXPECT_EQ(file.opens, 2);
}

TEST(AudioFile, FactoryChoosesByTheUpperCasedExtensionOnly)
{
    EXPECT_NE(dynamic_cast<CAudioWaveFile*>(CreateAudioFileFor("/m/a.wav").get()), nullptr);
    EXPECT_NE(dynamic_cast<CAudioWaveFile*>(CreateAudioFileFor("/m/a.Wav").get()), nullptr);
    EXPECT_EQ(CreateAudioFileFor("/m/a.wav "), nullptr);
    EXPECT_EQ(CreateAudioFileFor("/m/a.wave"), nullptr);
    EXPECT_EQ(CreateAudioFileFor("/m/wav"), nullptr);
}

TEST(AudioFile, MakeValidFileNameReplacesForbiddenCharacters)
{
    EXPECT_EQ(MakeValidFileName("/music/AC\\DC: Live?.mp3", true), "/music/AC_DC_ Live_.mp3");
    EXPECT_EQ(MakeValidFileName("/music/\"a\" <b> |c| *.wav", true), "/music/_a_ _b_ _c_ _.wav");
    EXPECT_EQ(MakeValidFileName("/music/a:b.wav", false), "_music_a_b.wav");
}

TEST(AudioFile, ReadOnlyFollowsTheFilesPermissions)
{
    CTempDir dir;
    CAudioWaveFile file;
    file.SetPath(dir.File("absent.wav"));
    EXPECT_FALSE(file.IsReadOnly());

    std::ofstream(dir.File("song.wav")) << "x";
    file.SetPath(dir.File("song.wav"));
    EXPECT_FALSE(file.IsReadOnly());
    std::filesystem::permissions(dir.File("song.wav"), std::filesystem::perms::owner_read |
                                                           std::filesystem::perms::group_read);
    EXPECT_TRUE(file.IsReadOnly());
}

TEST(AudioFileTags, WrittenThroughALinkReachTheFileAndTheLinkStays)
{
    CTempDir dir;
    for (const char* name : {"song.wav", "song.mp3", "song.ogg"})
    {
        const std::string path = WriteTestAudio(dir.File(name), 0.3);
        const std::string link = path + ".link" + std::filesystem::path(path).extension().string();
        std::filesystem::create_symlink(path, link);
        std::unique_ptr<CAudioFile> file = OpenAudioFile(link);
        ASSERT_TRUE(file->IsValid()) << link;
        file->SetTitle("Through the link");
        ASSERT_TRUE(Succeeded(file->WriteTags()));
        EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;

        std::unique_ptr<CAudioFile> target = OpenAudioFile(path);
        ASSERT_TRUE(target->IsValid()) << path;
        EXPECT_EQ(target->GetTitle(), "Through the link") << path;
    }
}

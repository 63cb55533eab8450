#include "audio/wav/AudioWaveFile.h"
#include "cli/Cli.h"
#include "support/AudioFiles.h"
#include "support/MemorySettingsStorage.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace fs = std::filesystem;

namespace
{
class ConvertCommand : public testing::Test
{
protected:
    ConvertCommand()
    {
        fs::create_directory(m_dir.Path() / "out");
        m_storage.PutString("GeneralProperties", "TrackDir", Out(""));
        m_storage.PutInt("GeneralProperties", "Normalize", 0);
    }

    std::string Out(const std::string& name) const
    {
        return (m_dir.Path() / "out" / name).string();
    }

    int Cli(const std::vector<std::string>& args, bool interrupted = false)
    {
        m_out.str({});
        m_err.str({});
        CliContext context(m_out, m_err);
        context.interrupted = [interrupted] { return interrupted; };
        context.openSettings = [this]
        { return std::make_unique<CMemorySettingsStorage>(m_storage); };
        return RunCli(args, context);
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    std::ostringstream m_out, m_err;
};
} // namespace

TEST_F(ConvertCommand, ConvertsIntoTheStoredFolderAndSaysSo)
{
    const std::string wav = WriteTestWave(m_dir.File("a.wav"), 0.2);
    EXPECT_EQ(Cli({"convert", "--to", "mp3", wav}), 0) << m_err.str();
    EXPECT_EQ(m_out.str(), Out("a.mp3") + "\n        ===> File OK! \n");
    EXPECT_TRUE(fs::exists(Out("a.mp3")));

    // An existing output is kept unless --yes says otherwise.
    const std::vector<std::uint8_t> first = ReadFileBytes(Out("a.mp3"));
    EXPECT_EQ(Cli({"convert", "--to=mp3", "--bitrate", "64", wav}), 1);
    EXPECT_EQ(ReadFileBytes(Out("a.mp3")), first);
    EXPECT_EQ(Cli({"convert", "--to", "mp3", "--yes", "--bitrate", "320", wav}), 0);
}

TEST_F(ConvertCommand, OptionsOverrideTheStoredSettings)
{
    const std::string mp3 = WriteTestMp3(m_dir.File("b.mp3"), 0.2);
    fs::create_directory(m_dir.Path() / "other");
    EXPECT_EQ(Cli({"convert", "--to", "wav", "--adpcm", "--out", m_dir.File("other"), mp3}), 0)
        << m_err.str();
    EXPECT_TRUE(fs::exists(m_dir.File("other/b.wav")));
    EXPECT_EQ(Cli({"info", m_dir.File("other/b.wav")}), 0);
    EXPECT_NE(m_out.str().find("Bits: 4"), std::string::npos) << "IMA ADPCM";
}

TEST_F(ConvertCommand, RefusalsAndUsageErrors)
{
    const std::string inside = WriteTestWave(Out("inside.wav"), 0.2);
    EXPECT_EQ(Cli({"convert", "--to", "ogg", inside}), 1);
    EXPECT_NE(m_err.str().find("ATTENTION"), std::string::npos);

    EXPECT_EQ(Cli({"convert", "--to", "mp3", m_dir.File("missing.wav")}), 1);
}

TEST_F(ConvertCommand, SeveralJobsGiveTheSameResultsInTheSameOrder)
{
    std::vector<std::string> sources;
    for (int i = 0; i < 5; ++i)
        sources.push_back(WriteTestWave(m_dir.File("s" + std::to_string(i) + ".wav"), 0.2));
    std::ofstream(m_dir.File("broken.wav")) << "not audio";
    sources.insert(sources.begin() + 2, m_dir.File("broken.wav"));
    // Names that clash: a later file gets the name only when the earlier
    // one failed, whichever finishes first.
    fs::create_directories(m_dir.Path() / "a");
    fs::create_directories(m_dir.Path() / "b");
    std::ofstream(m_dir.File("a/x.wav")) << "not audio";
    sources.push_back(m_dir.File("a/x.wav"));
    sources.push_back(WriteTestWave(m_dir.File("b/x.wav"), 0.2));
    sources.push_back(WriteTestWave(m_dir.File("b/s0.wav"), 0.3));

    std::vector<std::string> args = {"convert", "--to", "ogg", "--yes", "--jobs", "1"};
    args.insert(args.end(), sources.begin(), sources.end());
    EXPECT_EQ(Cli(args), 1);
    const std::string one = m_out.str();
    args[5] = "3";
    EXPECT_EQ(Cli(args), 1);
    EXPECT_EQ(m_out.str(), one);
    for (int i = 0; i < 5; ++i)
        EXPECT_TRUE(fs::exists(Out("s" + std::to_string(i) + ".ogg"))) << i;
    EXPECT_TRUE(fs::exists(Out("x.ogg")));
    EXPECT_NE(one.find("an earlier file of this run has that output name"), std::string::npos)
        << one;
}

TEST_F(ConvertCommand, AnInterruptLeavesNoOutputAndFails)
{
    const std::string wav = WriteTestWave(m_dir.File("a.wav"), 0.5);
    EXPECT_EQ(Cli({"convert", "--to", "ogg", wav}, true), 1);
    EXPECT_NE(m_out.str().find("Aborted at user request!"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(m_dir.Path() / "out"));
}

TEST_F(ConvertCommand, TagsShowsAndSetsTheThreeTexts)
{
    const std::string ogg = WriteTestOgg(m_dir.File("c.ogg"), 0.2, "Old");
    EXPECT_EQ(Cli({"tags", ogg}), 0);
    EXPECT_EQ(m_out.str(), ogg + "\nTitle: Old\nArtist: \nAlbum: \n");
    EXPECT_EQ(Cli({"tags", "--artist", "Someone", ogg}), 0) << m_err.str();
    EXPECT_EQ(m_out.str(), ogg + "\nTitle: Old\nArtist: Someone\nAlbum: \n");
    EXPECT_EQ(Cli({"tags", "--title", "x", m_dir.File("missing.mp3")}), 1);
    EXPECT_NE(m_err.str().find("missing.mp3: cannot open the file"), std::string::npos)
        << m_err.str();
}

TEST(InfoCommand, PrintsEachReadableFileAndExplainsTheOthers)
{
    CTempDir dir;
    const std::string wave = WriteSilentWave(dir.File("a.wav"), 61000);
    CAudioWaveFile tagger;
    tagger.SetPath(wave);
    tagger.SetTitle("Caf\xC3\xA9");
    ASSERT_TRUE(tagger.WriteTags());

    std::ostringstream out, err;
    CliContext context{out, err};
    const int status = RunCli({"info", wave, dir.File("b.mp3"), dir.File("c.flac"), wave}, context);
    EXPECT_EQ(status, 1);
    const std::string block = wave + "\nTitle: Caf\xC3\xA9\nArtist: \nAlbum: \nLength: 1:01\n"
                                     "Format: Wave\nSampling Rate: 8000 Hz\nChannels: 1\nBits: 8\n";
    EXPECT_EQ(out.str(), block + "\n" + block);
    EXPECT_NE(err.str().find(dir.File("b.mp3") + ": cannot open the file"), std::string::npos);
    EXPECT_NE(err.str().find(dir.File("c.flac") + ": not an MP3, WAV or Ogg Vorbis file"),
              std::string::npos);

    std::ostringstream none, noneErr;
    CliContext empty{none, noneErr};
    EXPECT_EQ(RunCli({"info"}, empty), 2);
}

// The file's own channels, beside its own bit depth, not the two it is
// mixed down to for playing and converting.
TEST(InfoCommand, ShowsTheFilesOwnChannelsAndStopsWhenInterrupted)
{
    CTempDir dir;
    CWaveBuilder surround;
    surround.Format(1, 6, 48000, 16, 12).Chunk("data", AsBytes(TestSignal(4800, 6)));
    surround.WriteTo(dir.File("surround.wav"));
    const struct
    {
        std::string path;
        const char* lines;
    } cases[] = {
        {dir.File("surround.wav"), "Sampling Rate: 48000 Hz\nChannels: 6\nBits: 16\n"},
        {WriteSilentWave(dir.File("mono.wav"), 1000), "Sampling Rate: 8000 Hz\nChannels: 1\n"},
        {WriteTestMp3(dir.File("stereo.mp3"), 1.0), "Sampling Rate: 44100 Hz\nChannels: 2\n"},
    };
    for (const auto& c : cases)
    {
        std::ostringstream out, err;
        CliContext context{out, err};
        EXPECT_EQ(RunCli({"info", c.path}, context), 0) << c.path;
        EXPECT_NE(out.str().find(c.lines), std::string::npos) << out.str();

        // Asked to stop, it prints nothing more and fails.
        std::ostringstream none, noneErr;
        CliContext stopped{none, noneErr};
        stopped.interrupted = [] { return true; };
        EXPECT_EQ(RunCli({"info", c.path, c.path}, stopped), 1) << c.path;
        EXPECT_EQ(none.str(), "") << c.path;
        EXPECT_EQ(noneErr.str(), "tunewright-cli: interrupted\n") << c.path;
    }
}

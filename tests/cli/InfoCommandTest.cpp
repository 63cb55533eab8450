#include "audio/wav/AudioWaveFile.h"
#include "cli/Cli.h"
#include "support/AudioFiles.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>
#include <sstream>

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

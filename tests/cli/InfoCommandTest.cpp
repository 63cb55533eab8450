#include "audio/wav/AudioWaveFile.h"
#include "cli/Cli.h"
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

// Our WAV files must read in other programs, and theirs in ours.

#include "audio/wav/AudioWaveFile.h"
#include "support/AudioFiles.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <cstdlib>
#include <gtest/gtest.h>

namespace
{
class WaveWithSox : public testing::Test
{
protected:
    void SetUp() override
    {
        if (std::system("command -v sox >/dev/null 2>&1") != 0)
        {
            ASSERT_EQ(std::getenv("CI"), nullptr) << "sox is missing";
            GTEST_SKIP() << "sox is needed (scripts/setup installs it)";
        }
    }

    static void Sox(const std::string& arguments)
    {
        ASSERT_EQ(std::system(("sox " + arguments + " 2>/dev/null").c_str()), 0) << arguments;
    }

    std::string Write(const std::string& name, const CWaveFormat& format)
    {
        return WriteWaveSamples(m_dir.File(name), m_signal, format);
    }

    static std::vector<std::int16_t> Decode(const std::string& path)
    {
        return AsSamples(DecodeAll(path));
    }

    CTempDir m_dir;
    std::vector<std::int16_t> m_signal = TestSignal(44100 * 2, 2);
};
} // namespace

TEST_F(WaveWithSox, ImaAdpcmAndTaggedPcmTravelBothWays)
{
    const std::string ours = Write("ours.wav", CWaveFormat::ImaAdpcm44100Stereo());
    Sox("'" + ours + "' -e signed-integer -b 16 '" + m_dir.File("decoded.wav") + "'");
    const std::vector<std::int16_t> bySox = Decode(m_dir.File("decoded.wav"));
    EXPECT_GT(SnrDb(m_signal, bySox), 20.0) << "sox's decode of our IMA ADPCM";
    EXPECT_GT(SnrDb(Decode(ours), bySox), 90.0) << "two decoders of one file agree";

    const std::string source = Write("source.wav", CWaveFormat::Pcm44100Stereo());
    Sox("'" + source + "' -e ima-adpcm '" + m_dir.File("sox.wav") + "'");
    EXPECT_GT(SnrDb(m_signal, Decode(m_dir.File("sox.wav"))), 20.0) << "our decode of sox's";

    CAudioWaveFile file;
    file.SetPath(source);
    file.SetTitle("Title");
    ASSERT_TRUE(file.WriteTags());
    Sox("'" + source + "' -e signed-integer -b 16 '" + m_dir.File("copy.wav") + "'");
    EXPECT_EQ(Decode(m_dir.File("copy.wav")), m_signal) << "sox reads our tagged PCM";
}

// Our WAV files must read in other programs, and theirs in ours.

#include "audio/wav/AudioWaveFile.h"
#include "support/AudioFiles.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>

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
        CAudioWaveFile file;
        file.CreateForWriting(m_dir.File(name), format);
        const std::vector<std::uint8_t> bytes = AsBytes(m_signal);
        file.WriteData(bytes.data(), bytes.size());
        file.CloseWriting();
        return m_dir.File(name);
    }

    static std::vector<std::int16_t> Decode(const std::string& path)
    {
        return AsSamples(DecodeAll(path));
    }

    CTempDir m_dir;
    std::vector<std::int16_t> m_signal = TestSignal(44100 * 2, 2);
};
} // namespace

TEST_F(WaveWithSox, SoxDecodesOurImaAdpcmAsWeDo)
{
    const std::string ours = Write("ours.wav", CWaveFormat::ImaAdpcm44100Stereo());
    Sox("'" + ours + "' -e signed-integer -b 16 '" + m_dir.File("decoded.wav") + "'");
    const std::vector<std::int16_t> bySox = Decode(m_dir.File("decoded.wav"));
    const double snr = SnrDb(m_signal, bySox);
    std::cout << "sox's decode of our IMA ADPCM: SNR " << snr << " dB\n";
    EXPECT_GT(snr, 20.0);
    EXPECT_GT(SnrDb(Decode(ours), bySox), 90.0) << "two decoders of one file agree";
}

TEST_F(WaveWithSox, WeDecodeSoxImaAdpcm)
{
    const std::string source = Write("source.wav", CWaveFormat::Pcm44100Stereo());
    Sox("'" + source + "' -e ima-adpcm '" + m_dir.File("sox.wav") + "'");
    const double snr = SnrDb(m_signal, Decode(m_dir.File("sox.wav")));
    std::cout << "our decode of sox's IMA ADPCM: SNR " << snr << " dB\n";
    EXPECT_GT(snr, 20.0);
}

TEST_F(WaveWithSox, SoxReadsOurTaggedPcm)
{
    const std::string ours = Write("tagged.wav", CWaveFormat::Pcm44100Stereo());
    CAudioWaveFile file;
    file.SetPath(ours);
    file.SetTitle("Title");
    ASSERT_TRUE(file.WriteTags());
    Sox("'" + ours + "' -e signed-integer -b 16 '" + m_dir.File("copy.wav") + "'");
    EXPECT_EQ(Decode(m_dir.File("copy.wav")), m_signal);
}

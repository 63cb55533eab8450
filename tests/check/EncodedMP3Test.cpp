// Files made by a real encoder, in the shapes people's collections hold.

#include "check/MP3Check.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>

namespace
{
bool HaveTools()
{
    return std::system("command -v lame >/dev/null 2>&1 && command -v sox >/dev/null 2>&1") == 0;
}

class EncodedMP3 : public testing::Test
{
protected:
    void SetUp() override
    {
        if (!HaveTools())
        {
            // CI installs them through scripts/setup: a skip there would hide a gap.
            ASSERT_EQ(std::getenv("CI"), nullptr) << "lame and sox are missing";
            GTEST_SKIP() << "lame and sox are needed (scripts/setup installs them)";
        }
        Run("sox -n -r 44100 -c 2 -b 16 '" + m_dir.File("tone.wav") +
            "' synth 4 sine 300-3000 sine 440");
    }

    static void Run(const std::string& command)
    {
        ASSERT_EQ(std::system((command + " >/dev/null 2>&1").c_str()), 0) << command;
    }

    // Encodes the test tone with `options`; returns the MP3's path.
    std::string Encode(const std::string& name, const std::string& options)
    {
        std::string path = m_dir.File(name);
        Run("lame --quiet " + options + " '" + m_dir.File("tone.wav") + "' '" + path + "'");
        return path;
    }

    static MP3CheckResult Check(const std::string& path)
    {
        CMP3Check check;
        check.CheckFile(path, nullptr);
        return check.GetResult();
    }

    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    static void WriteAll(const std::string& path, const std::string& data)
    {
        std::ofstream(path, std::ios::binary) << data;
    }

    CTempDir m_dir;
};
} // namespace

TEST_F(EncodedMP3, EncoderOutputOfEveryKindIsSound)
{
    const std::pair<const char*, const char*> kinds[] = {
        {"cbr.mp3", "-b 128"},
        {"vbr.mp3", "-V 2"},
        {"abr-mono.mp3", "--abr 96 -m m"},
        {"mpeg2.mp3", "--resample 22.05 -b 64"},
        {"mpeg25.mp3", "--resample 8 -b 16"},
        {"protected.mp3", "-p -b 192"},
        {"tagged.mp3", "-b 160 --add-id3v2 --pad-id3v2 --tt Title --ta Artist --tl Album"},
    };
    for (const auto& [name, options] : kinds)
    {
        MP3CheckResult result = Check(Encode(name, options));
        EXPECT_TRUE(result.IsSound()) << name;
        EXPECT_GT(result.countedFrames, 50u) << name;
    }
}

TEST_F(EncodedMP3, CutsInsideTheAudioAreFoundButACutAtTheEndIsNot)
{
    const std::string data = ReadAll(Encode("song.mp3", "-b 128"));
    ASSERT_GT(data.size(), 20000u);

    WriteAll(m_dir.File("truncated.mp3"), data.substr(0, data.size() - 1234));
    EXPECT_TRUE(Check(m_dir.File("truncated.mp3")).IsSound());

    // A download that lost a block in the middle.
    WriteAll(m_dir.File("gap.mp3"), data.substr(0, 10000) + data.substr(14096));
    MP3CheckResult gap = Check(m_dir.File("gap.mp3"));
    EXPECT_FALSE(gap.IsSound());
    ASSERT_FALSE(gap.damage.empty());
    EXPECT_GT(gap.damage[0].offset, 10000u - 417) << "nothing before the cut is damaged";

    // Two files glued together mid-frame.
    WriteAll(m_dir.File("glued.mp3"), data.substr(0, 8000) + data);
    EXPECT_FALSE(Check(m_dir.File("glued.mp3")).IsSound());
}

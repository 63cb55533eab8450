#include "conversion/WaveNormalizer.h"

#include "audio/wav/AudioWaveFile.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingHost.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace
{
namespace fs = std::filesystem;
using Samples = std::vector<std::int16_t>;

// 44100 Hz stereo, several 64 KiB blocks long.
constexpr std::size_t kFrames = 3 * 16384 + 1000;

// `frames` stereo frames that repeat `pattern`.
Samples Repeat(const Samples& pattern, std::size_t frames = kFrames)
{
    Samples samples(frames * 2);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = pattern[i % pattern.size()];
    return samples;
}

Samples Scaled(const Samples& samples, std::int64_t gain)
{
    Samples out;
    for (const std::int16_t s : samples)
        out.push_back(
            static_cast<std::int16_t>(std::clamp<std::int64_t>(gain * s / 100, -32768, 32767)));
    return out;
}

std::string WriteWave(const std::string& path, const Samples& samples,
                      const CWaveFormat& format = CWaveFormat::Pcm44100Stereo(),
                      const std::string& title = "", const std::string& artist = "",
                      const std::string& album = "")
{
    CAudioWaveFile file;
    file.SetPath(WriteWaveSamples(path, samples, format));
    file.SetTitle(title);
    file.SetArtist(artist);
    file.SetAlbum(album);
    EXPECT_TRUE(Succeeded(file.WriteTags()));
    return path;
}

// Files in the folder whose names start with "~".
std::vector<std::string> Leftovers(const CTempDir& dir)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
        if (entry.path().filename().string().rfind('~', 0) == 0)
            names.push_back(entry.path().filename().string());
    return names;
}

TEST(PeakScannerGain, FollowsTheRuleFromSilenceToFullScale)
{
    const std::pair<std::int32_t, std::int32_t> cases[] = {
        {0, 0},       {1, 3112960}, {50, 62259},  {95, 32768},  {96, 32426},  {16384, 190},
        {31129, 100}, {31130, 100}, {32767, 100}, {32768, 100}, {20000, 155}, {3, 1037653}};
    for (const auto& [peak, gain] : cases)
        EXPECT_EQ(gain, PeakScanner::GainForPeak(peak)) << "peak " << peak;
}

struct TableCase
{
    std::int32_t gain;
    std::vector<std::pair<std::int16_t, std::int16_t>> entries; // sample, scaled
};

class GainTable : public testing::TestWithParam<TableCase>
{
};

// Every entry keeps the sign of its sample and grows with it: a product
// that wrapped around would break both.
TEST_P(GainTable, ScalesHoldsAndNeverWraps)
{
    const TableCase& test = GetParam();
    auto table = std::make_unique<CWaveNormalizer::GainTable>();
    CWaveNormalizer::BuildGainTable(test.gain, *table);
    for (const auto& [sample, scaled] : test.entries)
        EXPECT_EQ(scaled, (*table)[static_cast<std::size_t>(sample + 32768)]) << sample;
    for (std::size_t i = 1; i < table->size(); ++i)
    {
        const int s = static_cast<int>(i) - 32768;
        ASSERT_LE((*table)[i - 1], (*table)[i]) << s;
        ASSERT_EQ(s > 0 && test.gain > 0, (*table)[i] > 0) << s;
        ASSERT_EQ(s < 0 && test.gain > 0, (*table)[i] < 0) << s;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Gains, GainTable,
    testing::Values(TableCase{190,
                              {{16384, 31129}, {-100, -190}, {32767, 32767}, {-32768, -32768}}},
                    TableCase{100, {{1, 1}, {-32768, -32768}, {32767, 32767}, {-7, -7}}},
                    TableCase{0, {{32767, 0}, {-32768, 0}, {1, 0}}},
                    TableCase{62259, {{50, 31129}, {-50, -31129}, {-25, -15564}, {1, 622}}},
                    TableCase{3112960, {{1, 31129}, {-1, -31129}, {2, 32767}, {-32768, -32768}}}),
    [](const auto& test) { return "Gain" + std::to_string(test.param.gain); });

class Normalize : public testing::Test
{
protected:
    std::string Output() const { return m_dir.File("Song.wav"); }
    std::string Folder() const { return m_dir.Path().string(); }

    CTempDir m_dir;
    CRecordingHost m_host;
};

struct ScaleCase
{
    const char* name;
    Samples pattern;
    std::int64_t gain;
};

class NormalizeScales : public Normalize, public testing::WithParamInterface<ScaleCase>
{
};

TEST_P(NormalizeScales, ReplacesTheOutputWithTheScaledCopy)
{
    const Samples source = Repeat(GetParam().pattern);
    WriteWave(Output(), source, CWaveFormat::Pcm44100Stereo(), "Title \xC3\xA9", "Artist", "Album");

    ASSERT_TRUE(NormalizeWaveFile(Output(), Folder(), false, m_host));
    CAudioWaveFile result;
    result.SetPath(Output());
    ASSERT_TRUE(result.IsValid());
    EXPECT_EQ(kWaveFormatPcm, result.GetFormatBlock().Tag());
    // The tags are carried into the copy.
    EXPECT_EQ("Title \xC3\xA9", result.GetTitle());
    EXPECT_EQ("Artist", result.GetArtist());
    EXPECT_EQ("Album", result.GetAlbum());
    EXPECT_EQ(Scaled(source, GetParam().gain), AsSamples(DecodeAll(result)));
    EXPECT_TRUE(Leftovers(m_dir).empty());
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ((std::vector<std::string>{"Normalizing", ""}), m_host.captions);
    // 0 from each of the two starts, then each pass rises to 100.
    const std::vector<int>& progress = m_host.progress;
    ASSERT_GE(progress.size(), 4u);
    const auto second = progress.begin() + 2 + static_cast<std::ptrdiff_t>(progress.size() - 2) / 2;
    EXPECT_EQ(0, progress[0]);
    EXPECT_EQ(0, progress[1]);
    EXPECT_TRUE(std::is_sorted(progress.begin() + 2, second));
    EXPECT_TRUE(std::is_sorted(second, progress.end()));
    EXPECT_EQ(100, *(second - 1));
    EXPECT_EQ(100, progress.back());
}

INSTANTIATE_TEST_SUITE_P(
    Peaks, NormalizeScales,
    testing::Values(ScaleCase{"WorkedExample", {16384, -100, 0, 1234, -16000, 7}, 190},
                    ScaleCase{"AlreadyAt95Percent", {31129, -31129, 500, -3}, 100},
                    ScaleCase{"FullNegativeScale", {-32768, 100, 2000, -5}, 100},
                    ScaleCase{"QuietestRaised", {312, -25, 1, 0, -312, 13}, 9977}),
    [](const auto& test) { return std::string(test.param.name); });

// More than +40 dB would raise hiss, dither or a click in silence to loud
// noise: such files stay as they are, and a quiet one says why.
TEST_F(Normalize, FilesTooQuietForTheLargestGainAreLeftAsTheyAre)
{
    const std::pair<Samples, std::string> cases[] = {
        {{311, -25, 1, 0}, "too quiet to normalise (peak -40 dBFS)"},
        {{1, 0, -1, 0}, "too quiet to normalise (peak -90 dBFS)"},
        {{0}, ""},
    };
    for (const auto& [pattern, expected] : cases)
    {
        const Samples source = Repeat(pattern);
        WriteWave(Output(), source, CWaveFormat::Pcm44100Stereo(), "Title", "", "");
        const std::vector<std::uint8_t> before = ReadFileBytes(Output());
        std::string note;
        ASSERT_TRUE(NormalizeWaveFile(Output(), Folder(), false, m_host, &note));
        EXPECT_EQ(expected, note);
        EXPECT_EQ(before, ReadFileBytes(Output()));
        EXPECT_TRUE(Leftovers(m_dir).empty());
    }
}

TEST_F(Normalize, AFileAlreadyNamedLikeTheTemporaryIsLeftAlone)
{
    WriteTestWave(Output(), 0.3);
    WriteFileBytes(m_dir.File("~Song.wav"), {1, 2, 3});
    EXPECT_TRUE(NormalizeWaveFile(Output(), Folder(), false, m_host));
    EXPECT_EQ(ReadFileBytes(m_dir.File("~Song.wav")), (std::vector<std::uint8_t>{1, 2, 3}));
    EXPECT_FALSE(fs::exists(m_dir.File("~2~Song.wav")));
}

TEST_F(Normalize, CompressedOutputIsWrittenAsImaAdpcmAgain)
{
    // A quiet first output, compressed as the conversion would write it.
    Samples quiet = TestSignal(kFrames, 2);
    for (std::int16_t& s : quiet)
        s = static_cast<std::int16_t>(s / 4);
    WriteWave(Output(), quiet, CWaveFormat::ImaAdpcm44100Stereo());
    CAudioWaveFile first;
    first.SetPath(Output());
    const Samples decoded = AsSamples(DecodeAll(first));
    const auto peakOf = [](const Samples& samples)
    {
        int peak = 0;
        for (const std::int16_t s : samples)
            peak = std::max(peak, std::abs(int(s)));
        return peak;
    };

    ASSERT_TRUE(NormalizeWaveFile(Output(), Folder(), true, m_host));
    CAudioWaveFile result;
    result.SetPath(Output());
    ASSERT_TRUE(result.IsValid());
    EXPECT_EQ(kWaveFormatImaAdpcm, result.GetFormatBlock().Tag());
    const Samples normalized = AsSamples(DecodeAll(result));
    const Samples expected = Scaled(decoded, PeakScanner::GainForPeak(peakOf(decoded)));
    EXPECT_EQ(expected.size(), normalized.size());
    EXPECT_GT(SnrDb(expected, normalized), 30.0);
    EXPECT_NEAR(31129, peakOf(normalized), 31129 * 0.05);
    EXPECT_TRUE(Leftovers(m_dir).empty());
}

// When the cancel comes: at some progress report of the first or second
// pass, or after the first pass has read everything.
struct CancelCase
{
    const char* name;
    // Given the progress reports so far and how many each pass makes.
    std::function<bool(const std::vector<int>&, std::size_t)> when;
};

class NormalizeCancel : public Normalize, public testing::WithParamInterface<CancelCase>
{
};

TEST_P(NormalizeCancel, LeavesTheOutputAsItWasAndNoTemporaryFile)
{
    WriteWave(Output(), Repeat({16384, -100, 3}), CWaveFormat::Pcm44100Stereo(), "T", "A", "B");
    // How many reports a pass makes, learnt from a run on a copy.
    const std::string copy = m_dir.File("Copy.wav");
    fs::copy_file(Output(), copy);
    CRecordingHost probe;
    ASSERT_TRUE(NormalizeWaveFile(copy, Folder(), false, probe));
    const std::size_t perPass = (probe.progress.size() - 2) / 2;
    ASSERT_GE(perPass, 3u);

    const std::vector<std::uint8_t> before = ReadFileBytes(Output());
    bool cancelled = false;
    m_host.cancelIf = [&]
    {
        cancelled = cancelled || GetParam().when(m_host.progress, perPass);
        return cancelled;
    };
    EXPECT_FALSE(NormalizeWaveFile(Output(), Folder(), false, m_host));
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(before, ReadFileBytes(Output()));
    EXPECT_TRUE(Leftovers(m_dir).empty());
    EXPECT_TRUE(m_host.messages.empty());
    EXPECT_EQ("", m_host.captions.back());
}

INSTANTIATE_TEST_SUITE_P(
    Moments, NormalizeCancel,
    testing::Values(CancelCase{"DuringThePeakPass", [](const std::vector<int>& p, std::size_t)
                               { return p.size() == 3; }},
                    // Let the report of the last block of the first pass and the check
                    // after it go by, then cancel before the next read.
                    CancelCase{"BetweenThePasses",
                               [checks = std::make_shared<int>(0)](const std::vector<int>& p,
                                                                   std::size_t perPass)
                               { return p.size() == 2 + perPass && ++*checks == 2; }},
                    CancelCase{"DuringTheCopy", [](const std::vector<int>& p, std::size_t perPass)
                               { return p.size() == 2 + perPass + 2; }},
                    CancelCase{"AfterTheLastBlockOfTheCopy",
                               [](const std::vector<int>& p, std::size_t perPass)
                               { return p.size() == 2 + 2 * perPass; }}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(Normalize, AFullDiskLeavesTheConvertedFileComplete)
{
    const std::vector<std::uint8_t> before = ReadFileBytes(WriteTestWave(Output(), 1.0));
    {
        CFileSizeLimit limit(before.size() / 2);
        if (!limit.Active())
            GTEST_SKIP() << "no file size limits here";
        EXPECT_FALSE(NormalizeWaveFile(Output(), Folder(), false, m_host));
    }
    EXPECT_EQ(ReadFileBytes(Output()), before);
    EXPECT_TRUE(Leftovers(m_dir).empty());
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_NE(m_host.messages[0].find(Output()), std::string::npos);
}

TEST_F(Normalize, AnErrorIsReportedWithTheFileAndLeavesTheOutput)
{
    WriteWave(Output(), Repeat({16384, -100}));
    const std::vector<std::uint8_t> before = ReadFileBytes(Output());

    // The temporary file cannot be created in a folder that is not there.
    EXPECT_FALSE(NormalizeWaveFile(Output(), m_dir.File("missing"), false, m_host));
    ASSERT_EQ(1u, m_host.messages.size());
    EXPECT_NE(std::string::npos, m_host.messages[0].find(Output()));
    EXPECT_NE(std::string::npos, m_host.messages[0].find("~Song.wav"));
    EXPECT_EQ(before, ReadFileBytes(Output()));
    EXPECT_EQ((std::vector<std::string>{"Normalizing", ""}), m_host.captions);

    // A file of another rate would be copied at the wrong speed.
    const std::string slow = WriteSilentWave(m_dir.File("Slow.wav"), 500);
    const std::vector<std::uint8_t> slowBefore = ReadFileBytes(slow);
    EXPECT_FALSE(NormalizeWaveFile(slow, Folder(), false, m_host));
    ASSERT_EQ(2u, m_host.messages.size());
    EXPECT_NE(std::string::npos, m_host.messages[1].find(slow));
    EXPECT_EQ(slowBefore, ReadFileBytes(slow));

    // A file that is not there.
    EXPECT_FALSE(NormalizeWaveFile(m_dir.File("Gone.wav"), Folder(), false, m_host));
    ASSERT_EQ(3u, m_host.messages.size());
    EXPECT_NE(std::string::npos, m_host.messages[2].find("Gone.wav"));
    EXPECT_TRUE(Leftovers(m_dir).empty());
}
} // namespace

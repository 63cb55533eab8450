#include "audio/ogg/AudioOggFile.h"

#include "audio/ogg/OggHandles.h"
#include "io/FileException.h"
#include "support/AudioFiles.h"
#include "support/OggPages.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

namespace
{
// What the file layer itself sees in a file: an independent reader.
struct VorbisFacts
{
    long rate = 0;
    int channels = 0;
    long upper = 0, nominal = 0, lower = 0;
    std::int64_t frames = 0;
    std::vector<std::string> comments;
    std::string vendor;
    std::vector<std::int16_t> pcm;
};

VorbisFacts ReadWithVorbisfile(const std::string& path)
{
    VorbisFacts facts;
    OggVorbis_File stream;
    if (ov_fopen(path.c_str(), &stream) != 0)
    {
        ADD_FAILURE() << "vorbisfile cannot open " << path;
        return facts;
    }
    const vorbis_info* info = ov_info(&stream, 0);
    facts.rate = info->rate;
    facts.channels = info->channels;
    facts.upper = info->bitrate_upper;
    facts.nominal = info->bitrate_nominal;
    facts.lower = info->bitrate_lower;
    facts.frames = ov_pcm_total(&stream, -1);
    const vorbis_comment* comment = ov_comment(&stream, 0);
    facts.vendor = comment->vendor;
    for (int i = 0; i < comment->comments; ++i)
        facts.comments.emplace_back(comment->user_comments[i]);
    char buffer[4096];
    int link;
    long got;
    while ((got = ov_read(&stream, buffer, sizeof buffer, 0, 2, 1, &link)) > 0)
    {
        const auto* samples = reinterpret_cast<const std::int16_t*>(buffer);
        facts.pcm.insert(facts.pcm.end(), samples, samples + got / 2);
    }
    ov_clear(&stream);
    return facts;
}

// Writes `samples` of `channels` channels straight through the library, for
// layouts and rates our encoder does not make.
void WriteVorbis(const std::string& path, const std::vector<std::int16_t>& samples, int channels,
                 long rate, int serial = 0)
{
    CVorbisInfo info;
    ASSERT_EQ(vorbis_encode_init_vbr(info.Get(), channels, rate, 0.4f), 0);
    CVorbisComment comment;
    comment.Add("TITLE", "Made elsewhere");
    CVorbisAnalysis analysis(info.Get());
    COggStream stream(serial ? serial : 1234 + channels);
    std::ofstream out(path, std::ios::binary);
    ogg_page page;
    const auto writePages = [&](bool flush)
    {
        while (flush ? ogg_stream_flush(stream.Get(), &page)
                     : ogg_stream_pageout(stream.Get(), &page))
        {
            out.write(reinterpret_cast<const char*>(page.header), page.header_len);
            out.write(reinterpret_cast<const char*>(page.body), page.body_len);
        }
    };
    ogg_packet headers[3];
    vorbis_analysis_headerout(analysis.Dsp(), comment.Get(), &headers[0], &headers[1], &headers[2]);
    for (ogg_packet& header : headers)
        ogg_stream_packetin(stream.Get(), &header);
    writePages(true);
    const std::size_t frames = samples.size() / channels;
    float** buffer = vorbis_analysis_buffer(analysis.Dsp(), static_cast<int>(frames));
    for (std::size_t f = 0; f < frames; ++f)
        for (int c = 0; c < channels; ++c)
            buffer[c][f] = samples[f * channels + c] / 32768.0f;
    vorbis_analysis_wrote(analysis.Dsp(), static_cast<int>(frames));
    vorbis_analysis_wrote(analysis.Dsp(), 0);
    ogg_packet packet;
    while (vorbis_analysis_blockout(analysis.Dsp(), analysis.Block()) == 1)
    {
        vorbis_analysis(analysis.Block(), &packet);
        ogg_stream_packetin(stream.Get(), &packet);
        writePages(false);
    }
    writePages(true);
}

// `hz` at half full scale on every channel.
std::vector<std::int16_t> Tone(std::size_t frames, int channels, long rate, double hz)
{
    std::vector<std::int16_t> samples(frames * static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::int16_t>(
            16384 * std::sin(2 * M_PI * hz * static_cast<double>(i / channels) /
                             static_cast<double>(rate)));
    return samples;
}

double Energy(const std::vector<std::int16_t>& samples, std::size_t channel, std::size_t channels)
{
    double sum = 0;
    for (std::size_t i = channel; i < samples.size(); i += channels)
        sum += static_cast<double>(samples[i]) * samples[i];
    return sum;
}

class OggFile : public testing::Test
{
protected:
    // Encodes `samples` (44.1 kHz stereo) in uneven pieces, as a pipeline may.
    std::string Encode(const std::string& name, const OggEncodeContext& context,
                       const std::vector<std::int16_t>& samples)
    {
        CAudioOggFile file;
        const std::string path = m_dir.File(name);
        EXPECT_NO_THROW(file.BeginEncoding(path, context));
        const std::vector<std::uint8_t> bytes = AsBytes(samples);
        for (std::size_t at = 0; at < bytes.size(); at += 30001)
            file.EncodeData(bytes.data() + at, std::min<std::size_t>(30001, bytes.size() - at));
        file.EncodeData(nullptr, 0);
        file.EndEncoding();
        return path;
    }

    static OggEncodeContext Tagged()
    {
        OggEncodeContext context;
        context.title = "Caf\xC3\xA9 Song";
        context.artist = "The Band";
        context.album = "";
        return context;
    }

    CTempDir m_dir;
    std::vector<std::int16_t> m_signal = TestSignal(44100 * 3 / 2, 2);
};

struct ModeCase
{
    const char* name;
    std::int32_t constant, managed, quality;
    std::int32_t constantIndex, qualityIndex;
    long upper, nominal, lower; // for quality modes: the nominal rate expected, within `lower`
};

class OggEncodingModes : public OggFile, public testing::WithParamInterface<ModeCase>
{
};
} // namespace

TEST_P(OggEncodingModes, HeaderCarriesTheChosenBitRatesAndTheFourComments)
{
    const ModeCase& mode = GetParam();
    OggEncodeContext context = Tagged();
    context.constantFlag = mode.constant;
    context.managedFlag = mode.managed;
    context.qualityFlag = mode.quality;
    context.constantIndex = mode.constantIndex;
    context.qualityIndex = mode.qualityIndex;
    const VorbisFacts facts = ReadWithVorbisfile(Encode("mode.ogg", context, m_signal));

    EXPECT_EQ(facts.rate, 44100);
    EXPECT_EQ(facts.channels, 2);
    EXPECT_EQ(facts.frames, static_cast<std::int64_t>(m_signal.size() / 2));
    if (mode.upper)
    {
        EXPECT_EQ(facts.upper, mode.upper);
        EXPECT_EQ(facts.nominal, mode.nominal);
        EXPECT_EQ(facts.lower, mode.lower);
    }
    else
    {
        EXPECT_LE(facts.upper, 0) << "quality mode sets no bounds";
        EXPECT_LE(facts.lower, 0);
        if (mode.nominal)
        {
            EXPECT_NEAR(static_cast<double>(facts.nominal), static_cast<double>(mode.nominal),
                        static_cast<double>(mode.lower));
        }
    }
    const std::vector<std::string> expected = {
        "ENCODER=Brelvind Tunewright", "TITLE=Caf\xC3\xA9 Song", "ARTIST=The Band", "ALBUM="};
    EXPECT_EQ(facts.comments, expected);
    EXPECT_GT(SnrDb(m_signal, facts.pcm), 10.0);
}

INSTANTIATE_TEST_SUITE_P(
    Modes, OggEncodingModes,
    testing::Values(ModeCase{"Constant128", 1, 0, 0, 0, 0, 128000, 128000, 128000},
                    ModeCase{"Constant350", 1, 0, 0, 4, 0, 350000, 350000, 350000},
                    ModeCase{"NoFlagMeansConstant", 0, 0, 0, 1, 0, 160000, 160000, 160000},
                    ModeCase{"Managed", 0, 1, 0, 1, 0, 192000, 160000, 128000},
                    ModeCase{"QualityWinsOverManaged", 0, 1, 1, 1, 10, 0, 0, 0},
                    // Quality 0.0 and 1.0 sit near the ends of the displayed table.
                    ModeCase{"Quality0", 0, 0, 1, 1, 0, 0, kOggQualityBitrates[0] * 1000, 15000},
                    ModeCase{"Quality20", 0, 0, 1, 1, 20, 0, kOggQualityBitrates[20] * 1000,
                             60000}),
    [](const testing::TestParamInfo<ModeCase>& mode) { return mode.param.name; });

// What the encoder wrote reads back as vorbisfile reads it, in reads of any
// size; new tags leave exactly three comments; a read-only file is refused.
TEST_F(OggFile, ReadsBackWhatTheEncoderWroteAndRewritesItsTags)
{
    const std::string path = Encode("back.ogg", Tagged(), m_signal);
    const VorbisFacts before = ReadWithVorbisfile(path);
    EXPECT_EQ(AsSamples(DecodeAll(path)), before.pcm);
    CAudioOggFile file;
    file.SetPath(path);
    ASSERT_TRUE(Succeeded(file.Validate()));
    EXPECT_EQ(file.GetSampleRate(), 44100u);
    EXPECT_EQ(file.GetChannels(), 2);
    EXPECT_EQ(file.GetLength(), 1500);
    EXPECT_EQ(file.GetTitle(), "Caf\xC3\xA9 Song");
    EXPECT_EQ(file.GetArtist(), "The Band");
    EXPECT_EQ(file.GetAlbum(), "");

    // Reads honour the size, the count and the room given.
    std::vector<std::uint8_t> block(40000);
    EXPECT_EQ(file.Read(100, 1, block.data(), block.size()), -1) << "not decoding yet";
    ASSERT_TRUE(file.BeginDecoding());
    EXPECT_EQ(file.Read(2048, 16, block.data(), 32812), 32768);
    EXPECT_EQ(file.Read(65536, 1, block.data(), 1000), 1000);
    EXPECT_EQ(file.Read(3, 7, block.data(), block.size()), 21) << "odd sizes are held over";
    std::size_t total = 32768 + 1000 + 21;
    std::int32_t got;
    while ((got = file.Read(2048, 16, block.data(), 32768)) > 0)
        total += static_cast<std::size_t>(got);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(total, m_signal.size() * 2);
    file.EndDecoding();

    file.SetTitle("New Title");
    file.SetArtist("");
    file.SetAlbum("Album \xE2\x99\xAA");
    ASSERT_TRUE(Succeeded(file.WriteTags()));
    const VorbisFacts after = ReadWithVorbisfile(path);
    const std::vector<std::string> expected = {"ENCODER=Brelvind Tunewright", "TITLE=New Title",
                                               "ALBUM=Album \xE2\x99\xAA"};
    EXPECT_EQ(after.comments, expected); // the rewrite's own tests keep vendor and audio
    CAudioOggFile reopened;
    reopened.SetPath(path);
    ASSERT_TRUE(reopened.IsValid());
    EXPECT_EQ(reopened.GetAlbum(), "Album \xE2\x99\xAA");

    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    reopened.SetTitle("Refused");
    EXPECT_EQ(reopened.WriteTags().Reason(), "the file is read-only");
}

TEST_F(OggFile, SeekCountsWholeSamplesPerMillisecond)
{
    const std::vector<std::int16_t> signal = TestSignal(44100 * 12, 2);
    const std::string path = Encode("seek.ogg", Tagged(), signal);
    CAudioOggFile file;
    file.SetPath(path);
    ASSERT_TRUE(file.BeginDecoding());
    file.Seek(10000);
    EXPECT_EQ(file.GetPosition(), 440000 * 1000 / 44100) << "44 samples to a millisecond";
    std::vector<std::int16_t> tail;
    std::int16_t block[16384];
    std::int32_t got;
    while ((got = file.Read(2048, 16, block, sizeof block)) > 0)
        tail.insert(tail.end(), block, block + got / 2);
    const std::vector<std::int16_t> whole = ReadWithVorbisfile(path).pcm;
    ASSERT_EQ(tail.size(), whole.size() - 440000 * 2);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), whole.begin() + 440000 * 2));
}

TEST_F(OggFile, FramesSplitAcrossCallsAreKeptAndALastPartialOneIsDropped)
{
    const std::vector<std::uint8_t> bytes = AsBytes(m_signal);
    CAudioOggFile file;
    ASSERT_NO_THROW(file.BeginEncoding(m_dir.File("odd.ogg"), Tagged()));
    file.EncodeData(bytes.data(), 4001);
    file.EncodeData(bytes.data() + 4001, 1);
    file.EncodeData(bytes.data() + 4002, bytes.size() - 4002 - 4);
    file.EncodeData(bytes.data() + bytes.size() - 4, 3);
    EXPECT_EQ(file.GetChannels(), 2);
    file.EndEncoding(); // also ends the stream that was never ended
    const VorbisFacts facts = ReadWithVorbisfile(m_dir.File("odd.ogg"));
    EXPECT_EQ(facts.frames, static_cast<std::int64_t>(m_signal.size() / 2 - 1));
    EXPECT_GT(SnrDb(m_signal, facts.pcm), 10.0);
}

TEST_F(OggFile, RefusedSettingsAndUnwritablePathsLeaveNoFile)
{
    OggEncodeContext inverted;
    inverted.managedFlag = 1;
    inverted.minimumIndex = 3;
    inverted.nominalIndex = 2;
    inverted.maximumIndex = 1;
    OggEncodeContext outOfTable;
    outOfTable.constantIndex = 5;
    OggEncodeContext badQuality;
    badQuality.qualityFlag = 1;
    badQuality.qualityIndex = 21;
    for (const OggEncodeContext& context : {inverted, outOfTable, badQuality})
    {
        CAudioOggFile file;
        EXPECT_THROW(file.BeginEncoding(m_dir.File("refused.ogg"), context), CFileException);
        EXPECT_FALSE(std::filesystem::exists(m_dir.File("refused.ogg")));
        file.EncodeData(AsBytes(m_signal).data(), 400); // ignored, no crash
        file.EndEncoding();
    }
    CAudioOggFile file;
    EXPECT_THROW(file.BeginEncoding(m_dir.File("no/such/folder.ogg"), OggEncodeContext{}),
                 CFileException);
}

class OggDownmix : public OggFile, public testing::WithParamInterface<int>
{
};

// A tone on front left only must come out on the left, one on front right
// only on the right, whatever the layout.
TEST_P(OggDownmix, FrontChannelsKeepTheirSide)
{
    const int channels = GetParam();
    // Beyond eight channels there is no named layout: even ones go left.
    const int frontRight = channels == 4 || channels > 8 ? 1 : 2;
    const std::size_t frames = 44100;
    for (const int source : {0, frontRight})
    {
        std::vector<std::int16_t> samples(frames * channels, 0);
        const std::vector<std::int16_t> tone = TestSignal(frames, 1);
        for (std::size_t f = 0; f < frames; ++f)
            samples[f * channels + source] = tone[f];
        const std::string path = m_dir.File("multi.ogg");
        WriteVorbis(path, samples, channels, 44100);
        CAudioOggFile file;
        file.SetPath(path);
        const std::vector<std::int16_t> stereo = AsSamples(DecodeAll(file));
        EXPECT_EQ(file.GetChannels(), 2);
        ASSERT_EQ(stereo.size(), frames * 2);
        const double own = Energy(stereo, source == 0 ? 0 : 1, 2);
        const double other = Energy(stereo, source == 0 ? 1 : 0, 2);
        EXPECT_GT(own, 1000 * other + 1) << "source channel " << source;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, OggDownmix, testing::Values(3, 4, 5, 6, 7, 8, 9));

struct ChainCase
{
    const char* name;
    long rate[2];
    int channels[2];
    int seconds[2];
};

class OggChain : public OggFile, public testing::WithParamInterface<ChainCase>
{
};

// Every link comes out in the first link's rate and channels, as long as the
// length says, with the second link's tone at its pitch and level; a seek
// into the second link lands where asked.
TEST_P(OggChain, EveryLinkIsDeliveredInTheFirstLinksFormat)
{
    const ChainCase& chain = GetParam();
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < 2; ++i)
    {
        const std::size_t frames = static_cast<std::size_t>(chain.seconds[i] * chain.rate[i]);
        WriteVorbis(m_dir.File("link.ogg"),
                    Tone(frames, chain.channels[i], chain.rate[i], i ? 1000.0 : 440.0),
                    chain.channels[i], chain.rate[i], 100 + i);
        const std::vector<std::uint8_t> link = ReadFileBytes(m_dir.File("link.ogg"));
        bytes.insert(bytes.end(), link.begin(), link.end());
    }
    const std::string path = m_dir.File("chain.ogg");
    WriteFileBytes(path, bytes);
    CAudioOggFile file;
    file.SetPath(path);
    const std::vector<std::int16_t> pcm = AsSamples(DecodeAll(file));
    const std::size_t channels = std::min(chain.channels[0], 2), rate = chain.rate[0];
    EXPECT_EQ(file.GetSampleRate(), rate);
    EXPECT_EQ(file.GetChannels(), channels);
    EXPECT_EQ(file.GetLength(), (chain.seconds[0] + chain.seconds[1]) * 1000);
    const std::size_t first = chain.seconds[0] * rate, total = first + chain.seconds[1] * rate;
    ASSERT_NEAR(static_cast<double>(pcm.size() / channels), static_cast<double>(total), 1);

    int crossings = 0, sides = 0;
    double energy = 0;
    const std::size_t from = first + rate / 10, to = total - rate / 10;
    for (std::size_t f = from; f < to; ++f)
    {
        const std::int16_t left = pcm[f * channels], before = pcm[(f - 1) * channels];
        crossings += (left < 0) != (before < 0);
        sides += std::abs(left - pcm[f * channels + channels - 1]) > 1;
        energy += static_cast<double>(left) * left;
    }
    const double seconds = static_cast<double>(to - from) / static_cast<double>(rate);
    EXPECT_NEAR(crossings / 2 / seconds, 1000, 10);
    EXPECT_NEAR(std::sqrt(energy / static_cast<double>(to - from)), 16384 / std::sqrt(2), 1500);
    EXPECT_EQ(sides, 0) << "the same tone on both sides";

    ASSERT_TRUE(file.BeginDecoding());
    const std::int32_t seekTo = chain.seconds[0] * 1000 + 500;
    file.Seek(seekTo);
    const std::int32_t at = file.GetPosition();
    EXPECT_NEAR(at, seekTo, 10);
    std::vector<std::uint8_t> block(32768);
    std::size_t rest = 0;
    for (std::int32_t got; (got = file.Read(2048, 16, block.data(), block.size())) > 0;)
        rest += static_cast<std::size_t>(got) / (2 * channels);
    EXPECT_NEAR(static_cast<double>(rest) * 1000 / static_cast<double>(rate),
                static_cast<double>(file.GetLength() - at), 1.1);
}

INSTANTIATE_TEST_SUITE_P(
    Links, OggChain,
    testing::Values(ChainCase{"StereoThenHalfRateMono", {44100, 22050}, {2, 1}, {3, 2}},
                    ChainCase{"MonoThenDoubleRateStereo", {22050, 44100}, {1, 2}, {1, 2}},
                    ChainCase{"SameLayoutTwice", {44100, 44100}, {2, 2}, {1, 1}},
                    ChainCase{"MonoThenSixChannelsAt48k", {44100, 48000}, {1, 6}, {1, 1}}),
    [](const testing::TestParamInfo<ChainCase>& chain) { return chain.param.name; });

// A last granule position beyond what the pages can hold, or going back,
// is not believed: the length is what decoding delivers.
TEST_F(OggFile, ALastGranuleThePagesCannotHoldIsNotBelieved)
{
    const std::vector<std::uint8_t> good = ReadFileBytes(Encode("good.ogg", Tagged(), m_signal));
    const std::size_t frames = m_signal.size() / 2;
    for (const std::int64_t granule :
         {std::int64_t{1} << 40, static_cast<std::int64_t>(frames * 3), std::int64_t{1000}})
    {
        std::vector<std::uint8_t> bytes = good;
        SetOggGranule(bytes, OggPageOffsets(bytes).back(), granule);
        WriteFileBytes(m_dir.File("forged.ogg"), bytes);
        CAudioOggFile file;
        file.SetPath(m_dir.File("forged.ogg"));
        ASSERT_TRUE(file.IsValid()) << granule;
        const std::size_t decoded = DecodeAll(file).size() / 4;
        EXPECT_NEAR(static_cast<double>(decoded), static_cast<double>(frames), 2048) << granule;
        EXPECT_EQ(file.GetLength(), decoded * 1000 / 44100) << granule;
    }
}

// Headers alone, or a first or first audio packet that never ends: the file
// opens (or is refused) and gives no audio.
TEST_F(OggFile, FilesWithoutAudioGiveNone)
{
    const std::vector<std::uint8_t> good = ReadFileBytes(Encode("good.ogg", Tagged(), m_signal));
    const std::vector<std::size_t> pages = OggPageOffsets(good);
    const std::vector<std::uint8_t> headers(good.begin(), good.begin() + pages[2]);
    // The first page of a packet too long for one page.
    const auto unended = [&](std::vector<std::uint8_t> body)
    {
        body.resize(70000);
        ogg_packet packet{body.data(), 70000, 1, 0, 0, 0};
        COggStream stream(good[14] | good[15] << 8 | good[16] << 16 | good[17] << 24);
        ogg_stream_packetin(stream.Get(), &packet);
        ogg_page page;
        EXPECT_EQ(ogg_stream_pageout(stream.Get(), &page), 1);
        std::vector<std::uint8_t> bytes(page.header, page.header + page.header_len);
        bytes.insert(bytes.end(), page.body, page.body + page.body_len);
        return bytes;
    };
    std::vector<std::uint8_t> audio = headers;
    const std::vector<std::uint8_t> tail = unended({});
    audio.insert(audio.end(), tail.begin(), tail.end());
    const std::pair<std::vector<std::uint8_t>, bool> cases[] = {
        {headers, true}, {audio, true}, {unended({good.begin() + 28, good.begin() + 58}), false}};
    for (const auto& [bytes, opens] : cases)
    {
        WriteFileBytes(m_dir.File("empty.ogg"), bytes);
        CAudioOggFile file;
        file.SetPath(m_dir.File("empty.ogg"));
        EXPECT_EQ(file.IsValid(), opens) << file.Validate().Reason();
        EXPECT_EQ(file.GetLength(), 0);
        EXPECT_TRUE(DecodeAll(file).empty());
    }
}

// Damaged files: cut anywhere or with bytes changed, they open or are
// refused, and decoding ends, without a crash.
TEST_F(OggFile, DamagedFilesNeverCrashOrHang)
{
    const std::vector<std::uint8_t> good = ReadFileBytes(Encode("good.ogg", Tagged(), m_signal));
    std::mt19937 random(7);
    for (int round = 0; round < 60; ++round)
    {
        std::vector<std::uint8_t> bad = good;
        if (round < 20)
            bad.resize(good.size() * round / 20);
        else
            for (int i = 0; i < round / 4; ++i)
                bad[random() % bad.size()] = static_cast<std::uint8_t>(random());
        const std::string path = m_dir.File("bad.ogg");
        WriteFileBytes(path, bad);
        CAudioOggFile file;
        file.SetPath(path);
        if (Status failed = file.BeginDecoding(); !failed)
        {
            EXPECT_FALSE(failed.Reason().empty());
            continue;
        }
        EXPECT_LE(DecodeAll(file).size(), 2 * m_signal.size() + 44100 * 4) << "round " << round;
    }
    CAudioOggFile folder;
    folder.SetPath(m_dir.Path().string());
    EXPECT_FALSE(folder.IsValid());
}

// Other programs must read our files as we do.
class OggWithVorbisTools : public OggFile
{
protected:
    void SetUp() override
    {
        if (std::system("command -v oggdec >/dev/null && command -v vorbiscomment >/dev/null") != 0)
        {
            ASSERT_EQ(std::getenv("CI"), nullptr) << "vorbis-tools are missing";
            GTEST_SKIP() << "vorbis-tools are needed (scripts/setup installs them)";
        }
    }

    std::string Run(const std::string& command)
    {
        const std::string out = m_dir.File("out.txt");
        EXPECT_EQ(std::system((command + " >'" + out + "' 2>/dev/null").c_str()), 0) << command;
        std::ifstream in(out);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
};

TEST_F(OggWithVorbisTools, ListDecodeAndTagOurFilesAsWeDo)
{
    const std::string path = Encode("tools.ogg", Tagged(), m_signal);
    EXPECT_EQ(Run("vorbiscomment -l '" + path + "'"),
              "ENCODER=Brelvind Tunewright\nTITLE=Caf\xC3\xA9 Song\nARTIST=The Band\nALBUM=\n");
    const std::vector<std::int16_t> ours = AsSamples(DecodeAll(path));

    CAudioOggFile file;
    file.SetPath(path);
    ASSERT_TRUE(file.IsValid());
    file.SetTitle("Only Title");
    ASSERT_TRUE(Succeeded(file.WriteTags()));
    EXPECT_EQ(Run("vorbiscomment -l '" + path + "'"),
              "ENCODER=Brelvind Tunewright\nTITLE=Only Title\nARTIST=The Band\n");

    const std::string wav = m_dir.File("decoded.wav");
    Run("oggdec -Q -o '" + wav + "' '" + path + "'");
    EXPECT_EQ(AsSamples(DecodeAll(wav)), ours);

    // And we read what vorbiscomment writes.
    Run("vorbiscomment -w -t 'TITLE=From Them' -t 'ALBUM=Their Album' '" + path + "'");
    file.SetPath(path);
    ASSERT_TRUE(file.IsValid());
    EXPECT_EQ(file.GetTitle(), "From Them");
    EXPECT_EQ(file.GetArtist(), "");
    EXPECT_EQ(file.GetAlbum(), "Their Album");
}

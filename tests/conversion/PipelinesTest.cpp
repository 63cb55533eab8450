#include "conversion/Pipelines.h"

#include "audio/wav/AudioWaveFile.h"
#include "conversion/PcmConverter.h"
#include "conversion/WaveNormalizer.h"
#include "support/AudioFiles.h"
#include "support/FileSizeLimit.h"
#include "support/RecordingHost.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <numbers>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>
#include <vector>

namespace
{
enum class Target
{
    Mp3,
    Ogg,
    Wav,
};

struct Case
{
    const char* source; // file name; its extension picks the kind
    Target target;
};

class Pipeline : public testing::TestWithParam<Case>
{
protected:
    std::string Source(const std::string& name)
    {
        const std::string path = m_dir.File(name);
        const std::string extension = name.substr(name.rfind('.'));
        if (extension == ".mp3")
            return WriteTestMp3(path, 1.0, "Title", "Artist", "Album");
        if (extension == ".ogg")
            return WriteTestOgg(path, 1.0, "Title");
        if (name.find("mono") != std::string::npos)
            return WriteTestWave(path, 1.0, 22050, 1);
        return WriteTestWave(path, 1.0);
    }

    // Runs the pipeline for `target`; returns the output path.
    std::string Convert(const std::string& source, Target target, CRecordingHost& host)
    {
        const char* extension = target == Target::Mp3   ? ".mp3"
                                : target == Target::Ogg ? ".ogg"
                                                        : ".wav";
        const std::string output = m_dir.File("out" + std::string(extension));
        const auto opened = [&](auto pipeline, auto... settings)
        {
            pipeline->Open(source, output, settings...);
            return std::unique_ptr<CConversionPipeline>(std::move(pipeline));
        };
        const std::unique_ptr<CConversionPipeline> pipeline =
            target == Target::Mp3   ? opened(std::make_unique<CConvertToMP3>(), 2, 1, false)
            : target == Target::Ogg ? opened(std::make_unique<CConvertToOGG>(), OggEncodeContext{})
                                    : opened(std::make_unique<CConvertToWAV>(), 0);
        if (pipeline->Convert(host))
            pipeline->Abandon();
        else
            pipeline->Close();
        return output;
    }

    CTempDir m_dir;
};

std::string CaseName(const testing::TestParamInfo<Case>& param)
{
    static const char* const kTargets[] = {"ToMp3", "ToOgg", "ToWav"};
    std::string source = param.param.source;
    source.erase(source.find('.'), 1);
    return source + kTargets[static_cast<int>(param.param.target)];
}
} // namespace

TEST_P(Pipeline, GivesAFullLength44100HzStereoFileWithTheTags)
{
    const Case& c = GetParam();
    const std::string source = Source(c.source);
    CRecordingHost host;
    const std::string output = Convert(source, c.target, host);

    std::unique_ptr<CAudioFile> file = OpenAudioFile(output);
    ASSERT_TRUE(Succeeded(file->Validate()));
    EXPECT_EQ(file->GetSampleRate(), 44100u);
    EXPECT_EQ(file->GetChannels(), 2);
    const std::vector<std::int16_t> samples = AsSamples(DecodeAll(*file));
    EXPECT_NEAR(static_cast<double>(samples.size()) / 2 / 44100, 1.0, 0.08) << c.source;
    if (std::string(c.source) == "mono.wav")
    {
        for (std::size_t i = 0; i + 1 < samples.size(); i += 2)
            ASSERT_EQ(samples[i], samples[i + 1]) << "mono gives equal pairs at " << i;
    }
    const bool tagged = std::string(c.source).find(".wav") == std::string::npos;
    EXPECT_EQ(file->GetTitle(), tagged ? "Title" : "") << c.source;
    ASSERT_FALSE(host.progress.empty());
    EXPECT_LE(host.progress.back(), 100);
}

// Every source kind into every target.
const Case kEveryKind[] = {
    {"song.wav", Target::Mp3}, {"song.mp3", Target::Mp3}, {"song.ogg", Target::Mp3},
    {"song.wav", Target::Ogg}, {"song.mp3", Target::Ogg}, {"song.ogg", Target::Ogg},
    {"mono.wav", Target::Wav}, {"song.mp3", Target::Wav}, {"song.ogg", Target::Wav}};

INSTANTIATE_TEST_SUITE_P(EveryKind, Pipeline, testing::ValuesIn(kEveryKind), CaseName);

class PipelineDetails : public Pipeline
{
};

TEST_F(PipelineDetails, LongTagsAreCutTo255Bytes)
{
    const std::string title = std::string(254, 't') + "\xC3\xA9"; // é across byte 255
    CRecordingHost host;
    CAudioOggFile reread;
    reread.SetPath(Convert(WriteTestOgg(m_dir.File("long.ogg"), 0.3, title), Target::Ogg, host));
    ASSERT_TRUE(reread.IsValid());
    EXPECT_EQ(reread.GetTitle(), std::string(254, 't'));
}

namespace
{
// The fields every conversion carries, as TagLib names them.
const std::map<std::string, std::string> kCarriedFields = {{"TITLE", "\xE6\x9B\xB2 Title"},
                                                           {"ARTIST", "Artist"},
                                                           {"ALBUM", "Album"},
                                                           {"ALBUMARTIST", "Band"},
                                                           {"TRACKNUMBER", "3/12"},
                                                           {"DISCNUMBER", "1/2"},
                                                           {"DATE", "2001"},
                                                           {"GENRE", "Rock"},
                                                           {"COMMENT", "Note"},
                                                           {"COMPOSER", "Composer"}};

TagLib::ByteVector CoverBytes()
{
    TagLib::ByteVector cover(30000, 'c');
    for (unsigned i = 0; i < cover.size(); ++i)
        cover[i] = static_cast<char>(i * 13 % 256);
    return cover;
}

TagLib::PropertyMap CarriedProperties(bool splitCounts)
{
    TagLib::PropertyMap map;
    for (const auto& [name, value] : kCarriedFields)
    {
        const auto slash = value.find('/');
        if (splitCounts && slash != std::string::npos)
        {
            const std::string total = name == "TRACKNUMBER" ? "TRACKTOTAL" : "DISCTOTAL";
            map.insert(name, TagLib::String(value.substr(0, slash)));
            map.insert(total, TagLib::String(value.substr(slash + 1)));
        }
        else
        {
            map.insert(name, TagLib::String(value, TagLib::String::UTF8));
        }
    }
    return map;
}

// Tags a file of our own making through TagLib alone, as another program would.
void TagAsAnotherProgram(const std::string& path)
{
    if (path.ends_with(".ogg"))
    {
        TagLib::Ogg::Vorbis::File file(path.c_str());
        file.setProperties(CarriedProperties(true));
        auto* picture = new TagLib::FLAC::Picture;
        picture->setType(TagLib::FLAC::Picture::FrontCover);
        picture->setMimeType("image/png");
        picture->setData(CoverBytes());
        file.tag()->addPicture(picture);
        ASSERT_TRUE(file.save());
        return;
    }
    std::unique_ptr<TagLib::File> file;
    TagLib::ID3v2::Tag* tag = nullptr;
    if (path.ends_with(".mp3"))
    {
        auto* mp3 = new TagLib::MPEG::File(path.c_str());
        tag = mp3->ID3v2Tag(true);
        file.reset(mp3);
    }
    else
    {
        auto* wav = new TagLib::RIFF::WAV::File(path.c_str());
        tag = wav->ID3v2Tag();
        file.reset(wav);
    }
    tag->setProperties(CarriedProperties(false));
    auto* picture = new TagLib::ID3v2::AttachedPictureFrame;
    picture->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
    picture->setMimeType("image/png");
    picture->setPicture(CoverBytes());
    tag->addFrame(picture);
    ASSERT_TRUE(file->save());
}

// What TagLib reads from a converted file, "3/12" counts put back together.
std::map<std::string, std::string> FieldsOf(const std::string& path, bool& hasCover)
{
    std::unique_ptr<TagLib::File> file;
    hasCover = false;
    if (path.ends_with(".ogg"))
    {
        auto* ogg = new TagLib::Ogg::Vorbis::File(path.c_str());
        const auto pictures = ogg->tag()->pictureList();
        hasCover = pictures.size() == 1 && pictures.front()->data() == CoverBytes();
        file.reset(ogg);
    }
    else if (path.ends_with(".mp3"))
    {
        auto* mp3 = new TagLib::MPEG::File(path.c_str());
        const auto frames = mp3->ID3v2Tag(true)->frameListMap()["APIC"];
        hasCover = frames.size() == 1 &&
                   static_cast<TagLib::ID3v2::AttachedPictureFrame*>(frames.front())->picture() ==
                       CoverBytes();
        file.reset(mp3);
    }
    else
    {
        file.reset(new TagLib::RIFF::WAV::File(path.c_str()));
    }
    std::map<std::string, std::string> fields;
    const TagLib::PropertyMap properties = file->properties();
    for (const auto& [name, values] : properties)
        fields[name.to8Bit(true)] = values.front().to8Bit(true);
    for (const char* count : {"TRACK", "DISC"})
    {
        const std::string total = std::string(count) + "TOTAL";
        if (fields.count(total) != 0)
        {
            fields[std::string(count) + "NUMBER"] += "/" + fields[total];
            fields.erase(total);
        }
    }
    return fields;
}

class PipelineTags : public Pipeline
{
};
} // namespace

// Every field and the cover go along into the new file, as other programs
// read them; WAV files take the text fields only.
TEST_P(PipelineTags, CarriesEveryFieldAndTheCover)
{
    const std::string name = GetParam().source;
    const std::string source = WriteTestAudio(m_dir.File(name), 0.5);
    TagAsAnotherProgram(source);
    CRecordingHost host;
    const std::string output = Convert(source, GetParam().target, host);
    bool hasCover = false;
    const std::map<std::string, std::string> fields = FieldsOf(output, hasCover);
    for (const auto& [field, value] : kCarriedFields)
    {
        const auto found = fields.find(field);
        EXPECT_TRUE(found != fields.end() && found->second == value)
            << field << " from " << name << " into " << output;
    }
    EXPECT_EQ(hasCover, GetParam().target != Target::Wav);
}

INSTANTIATE_TEST_SUITE_P(EveryKind, PipelineTags, testing::ValuesIn(kEveryKind), CaseName);

namespace
{
using Samples = std::vector<std::int16_t>;

// Converts `input` (frames of `channels`) handing it over in blocks of
// `block` frames and taking the output in pieces of `room` frames, looping
// as a pipeline does until each block is used up, then flushing.
Samples ConvertAll(std::uint32_t rate, unsigned channels, const Samples& input, std::size_t block,
                   std::size_t room)
{
    CPcmConverter converter;
    EXPECT_TRUE(converter.SetSourceRate(rate));
    EXPECT_TRUE(converter.SetSourceChannels(channels));
    const std::size_t frames = input.size() / channels;
    Samples output, piece(room * 2);
    const auto take = [&](std::size_t produced)
    {
        output.insert(output.end(), piece.begin(),
                      piece.begin() + static_cast<std::ptrdiff_t>(produced * 2));
    };
    for (std::size_t at = 0; at < frames; at += block)
    {
        const std::size_t count = std::min(block, frames - at);
        converter.SetInput(input.data() + at * channels, count);
        std::size_t used = 0;
        do
        {
            converter.SetOutput(piece.data(), room);
            std::size_t consumed = 0, produced = 0;
            converter.Convert(&consumed, &produced);
            used += consumed;
            EXPECT_EQ(count - used, converter.InputLeft());
            take(produced);
        } while (converter.InputLeft() > 0);
    }
    for (;;)
    {
        converter.SetOutput(piece.data(), room);
        const std::size_t produced = converter.Flush();
        if (produced == 0)
            break;
        take(produced);
    }
    return output;
}

// A sine of `hz` at `rate`, `amplitude` of full scale; the right channel
// (when there is one) runs a quarter turn behind.
Samples Sine(double hz, std::uint32_t rate, unsigned channels, std::size_t frames,
             double amplitude = 0.5)
{
    Samples sine;
    sine.reserve(frames * channels);
    for (std::size_t i = 0; i < frames; ++i)
        for (unsigned c = 0; c < channels; ++c)
        {
            const double phase = 2 * std::numbers::pi * hz * double(i) / rate - c * 1.5707963;
            sine.push_back(
                static_cast<std::int16_t>(std::lrint(32767 * amplitude * std::sin(phase))));
        }
    return sine;
}

// Largest sample magnitude of the left channel between two frames.
int Peak(const Samples& stereo, std::size_t from, std::size_t to)
{
    int peak = 0;
    for (std::size_t i = from; i < to; ++i)
        peak = std::max(peak, std::abs(int(stereo[2 * i])));
    return peak;
}

struct Resampling
{
    std::uint32_t rate;
    unsigned channels;
};

class PcmConverterRates : public testing::TestWithParam<Resampling>
{
};

// Blocks of any size join exactly: the output of many small blocks taken in
// small pieces is the output of one block, sample for sample, and it lasts
// exactly as long as the input.
TEST_P(PcmConverterRates, JoinsBlocksExactlyAndKeepsTheLength)
{
    const auto [rate, channels] = GetParam();
    const std::size_t frames = rate / 2 + 17;
    const Samples input = Sine(std::min(1000.0, rate / 8.0), rate, channels, frames);
    const Samples whole = ConvertAll(rate, channels, input, frames, 1 << 20);
    EXPECT_EQ(whole, ConvertAll(rate, channels, input, 4099, 333));
    EXPECT_EQ(whole, ConvertAll(rate, channels, input, 1, 7));

    const double expected = std::round(double(frames) * 44100 / rate);
    EXPECT_NEAR(expected, double(whole.size() / 2), 1.0);
    // The tone keeps its level through the middle of the file.
    const std::size_t out = whole.size() / 2;
    EXPECT_NEAR(0.5 * 32767, Peak(whole, out / 4, out * 3 / 4), 0.01 * 32767);
    for (std::size_t i = 0; channels == 1 && i < out; ++i)
        ASSERT_EQ(whole[2 * i], whole[2 * i + 1]) << "frame " << i;
    if (rate == 44100 && channels == 2)
    {
        EXPECT_EQ(whole, input) << "CD audio passes through untouched";
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, PcmConverterRates,
                         testing::Values(Resampling{44100, 2}, Resampling{44100, 1},
                                         Resampling{1000, 1}, Resampling{8000, 1},
                                         Resampling{11025, 2}, Resampling{22050, 1},
                                         Resampling{48000, 2}, Resampling{96000, 2},
                                         Resampling{192000, 1}, Resampling{768000, 2}),
                         [](const auto& test)
                         {
                             return std::to_string(test.param.rate) + "Hz" +
                                    (test.param.channels == 1 ? "Mono" : "Stereo");
                         });

// Above 22.05 kHz nothing may fold back into the audible band.
TEST(PcmConverter, RemovesToneAboveTheTargetBand)
{
    const std::uint32_t rate = 96000;
    const Samples output = ConvertAll(rate, 2, Sine(30000, rate, 2, rate, 0.9), 32768, 8192);
    const std::size_t frames = output.size() / 2;
    // Away from the ends, where the tone starts and stops abruptly.
    EXPECT_LE(Peak(output, frames / 10, frames * 9 / 10), 1);
}

// Hours of a low rate come out exactly as long, with no drift: the length
// is what the rates say to the frame.
TEST(PcmConverter, KeepsTheLengthOfHoursOfLowRateAudio)
{
    const std::uint32_t rate = 8000;
    const std::size_t block = 16384, blocks = 2 * 3600 * rate / block; // two hours
    const Samples input = Sine(440, rate, 1, block);
    CPcmConverter converter;
    ASSERT_TRUE(converter.SetSourceRate(rate));
    ASSERT_TRUE(converter.SetSourceChannels(1));
    Samples output(2 * 131072);
    std::uint64_t produced = 0;
    for (std::size_t b = 0; b < blocks; ++b)
    {
        converter.SetInput(input.data(), block);
        while (converter.InputLeft() > 0)
        {
            converter.SetOutput(output.data(), 131072);
            std::size_t made = 0;
            converter.Convert(nullptr, &made);
            produced += made;
        }
    }
    for (std::size_t made = 1; made > 0; produced += made)
    {
        converter.SetOutput(output.data(), 131072);
        made = converter.Flush();
    }
    const std::uint64_t expected = std::uint64_t{blocks} * block * 44100 / rate;
    EXPECT_NEAR(double(expected), double(produced), 1.0);
}

TEST(PcmConverter, RejectedRatesAndChannelsKeepThePreviousValues)
{
    CPcmConverter converter;
    EXPECT_FALSE(converter.SetSourceRate(999));
    EXPECT_FALSE(converter.SetSourceRate(768001));
    EXPECT_FALSE(converter.SetSourceChannels(0));
    EXPECT_FALSE(converter.SetSourceChannels(3));
    EXPECT_TRUE(converter.SetSourceRate(1000));
    EXPECT_TRUE(converter.SetSourceRate(768000));

    // Still 48000 Hz stereo after the refusals below.
    ASSERT_TRUE(converter.SetSourceRate(48000));
    EXPECT_FALSE(converter.SetSourceRate(0));
    EXPECT_FALSE(converter.SetSourceChannels(6));
    const Samples input = Sine(1000, 48000, 2, 48000);
    Samples output(2 * 50000);
    std::size_t consumed = 0, produced = 0;
    converter.SetInput(input.data(), 48000);
    converter.SetOutput(output.data(), 50000);
    converter.Convert(&consumed, &produced);
    const std::size_t flushed = converter.Flush();
    EXPECT_EQ(48000u, consumed);
    EXPECT_NEAR(44100.0, double(produced + flushed), 1.0);

    converter.Reset(); // 44100 Hz stereo again: a plain copy
    converter.SetInput(input.data(), 100);
    converter.SetOutput(output.data(), 100);
    converter.Convert(&consumed, &produced);
    EXPECT_EQ(100u, produced);
    EXPECT_TRUE(std::equal(input.begin(), input.begin() + 200, output.begin()));
}

namespace fs = std::filesystem;

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

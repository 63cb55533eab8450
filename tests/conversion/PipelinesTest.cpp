#include "conversion/Pipelines.h"

#include "support/AudioFiles.h"
#include "support/RecordingHost.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <gtest/gtest.h>
#include <map>
#include <taglib/attachedpictureframe.h>
#include <taglib/flacpicture.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tpropertymap.h>
#include <taglib/vorbisfile.h>
#include <taglib/wavfile.h>

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

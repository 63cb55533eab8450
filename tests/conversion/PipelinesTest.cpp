#include "conversion/Pipelines.h"

#include "audio/AudioFileFactory.h"
#include "io/FileException.h"
#include "support/AudioFiles.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

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
        std::unique_ptr<CConversionPipeline> pipeline;
        if (target == Target::Mp3)
        {
            auto mp3 = std::make_unique<CConvertToMP3>();
            mp3->Open(source, output, 2, 1, false);
            pipeline = std::move(mp3);
        }
        else if (target == Target::Ogg)
        {
            auto ogg = std::make_unique<CConvertToOGG>();
            ogg->Open(source, output, OggEncodeContext{});
            pipeline = std::move(ogg);
        }
        else
        {
            auto wav = std::make_unique<CConvertToWAV>();
            wav->Open(source, output, 0);
            pipeline = std::move(wav);
        }
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

    std::unique_ptr<CAudioFile> file = CreateAudioFileFor(output);
    file->SetPath(output);
    ASSERT_TRUE(file->IsValid()) << file->GetError();
    EXPECT_EQ(file->GetSampleRate(), 44100u);
    EXPECT_EQ(file->GetChannels(), 2);
    const double seconds = static_cast<double>(DecodeAll(*file).size()) / 4 / 44100;
    EXPECT_NEAR(seconds, 1.0, 0.08) << c.source;
    const bool tagged = std::string(c.source).find(".wav") == std::string::npos;
    EXPECT_EQ(file->GetTitle(), tagged ? "Title" : "") << c.source;
    ASSERT_FALSE(host.progress.empty());
    EXPECT_LE(host.progress.back(), 100);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, Pipeline,
    testing::Values(Case{"song.wav", Target::Mp3}, Case{"song.mp3", Target::Mp3},
                    Case{"song.ogg", Target::Mp3}, Case{"song.wav", Target::Ogg},
                    Case{"song.mp3", Target::Ogg}, Case{"song.ogg", Target::Ogg},
                    Case{"mono.wav", Target::Wav}, Case{"song.mp3", Target::Wav},
                    Case{"song.ogg", Target::Wav}),
    CaseName);

TEST(PipelineDetails, MonoAt22050GivesEqualPairs)
{
    CTempDir dir;
    const std::string source = WriteTestWave(dir.File("mono.wav"), 0.5, 22050, 1);
    CConvertToWAV pipeline;
    pipeline.Open(source, dir.File("out.wav"), 0);
    CRecordingHost host;
    ASSERT_FALSE(pipeline.Convert(host));
    pipeline.Close();
    const std::vector<std::int16_t> samples = AsSamples(DecodeAll(dir.File("out.wav")));
    ASSERT_GT(samples.size(), 40000u);
    for (std::size_t i = 0; i + 1 < samples.size(); i += 2)
        ASSERT_EQ(samples[i], samples[i + 1]) << i;
}

TEST(PipelineDetails, LongTagsAreCutTo255Bytes)
{
    CTempDir dir;
    const std::string title = std::string(254, 't') + "\xC3\xA9"; // é across byte 255
    const std::string source = WriteTestOgg(dir.File("long.ogg"), 0.3, title);
    CConvertToOGG pipeline;
    pipeline.Open(source, dir.File("out.ogg"), OggEncodeContext{});
    CRecordingHost host;
    pipeline.Convert(host);
    pipeline.Close();
    CAudioOggFile reread;
    reread.SetPath(dir.File("out.ogg"));
    ASSERT_TRUE(reread.IsValid());
    EXPECT_EQ(reread.GetTitle(), std::string(254, 't'));
}

TEST(PipelineDetails, ACancelStopsTheFileAndAbandonLeavesNoOutput)
{
    CTempDir dir;
    const std::string source = WriteTestWave(dir.File("long.wav"), 3.0);
    CConvertToOGG pipeline;
    pipeline.Open(source, dir.File("out.ogg"), OggEncodeContext{});
    CRecordingHost host;
    host.cancelled = true;
    EXPECT_TRUE(pipeline.Convert(host));
    pipeline.Abandon();
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.ogg")));
    EXPECT_TRUE(std::filesystem::exists(source));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left";
}

TEST(PipelineDetails, SourcesThatCannotBeReadRaiseAFileException)
{
    CTempDir dir;
    std::ofstream(dir.File("bad.wav")) << "not a wave file";
    CConvertToMP3 pipeline;
    try
    {
        pipeline.Open(dir.File("bad.wav"), dir.File("out.mp3"), 2, 0, false);
        FAIL() << "opened a file that is not audio";
    }
    catch (const CFileException& error)
    {
        EXPECT_EQ(error.Path(), dir.File("bad.wav"));
        EXPECT_EQ(error.Reason(), "not a RIFF WAVE file");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.mp3")));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator()),
              1)
        << "no temporary file is left";
}

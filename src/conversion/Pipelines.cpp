#include "conversion/Pipelines.h"

#include "audio/AudioFileFactory.h"
#include "audio/CarriedTags.h"
#include "check/IProgressSink.h"
#include "io/FileException.h"
#include "io/Paths.h"
#include "io/Text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iterator>

namespace
{
constexpr std::size_t kConvertedFrames = 655360 / 4;
constexpr std::size_t kMaxTagBytes = 255;

std::unique_ptr<CAudioFile> SourceFor(const std::string& path)
{
    std::unique_ptr<CAudioFile> source = CreateAudioFileFor(path);
    if (!source)
        throw CFileException(CFileException::kGeneric,
                             "not an MP3, WAV or Ogg Vorbis file by its name", path);
    source->SetPath(path);
    return source;
}

std::string CutTag(const std::string& text)
{
    return CutUtf8(text, kMaxTagBytes);
}

// The source's tags to carry into the output; its title, artist and album
// as the reader gives them win where it has them.
CarriedTags CarriedFrom(const std::string& source, const CAudioFile& reader)
{
    CarriedTags tags = ReadCarriedTags(source);
    const std::pair<const char*, std::string> texts[] = {{"TITLE", CutTag(reader.GetTitle())},
                                                         {"ARTIST", CutTag(reader.GetArtist())},
                                                         {"ALBUM", CutTag(reader.GetAlbum())}};
    for (const auto& [name, text] : texts)
        if (!text.empty())
            tags.Set(name, text);
    return tags;
}
} // namespace

int Mp3BitrateForIndex(int index)
{
    return index >= 0 && index < static_cast<int>(std::size(kMp3Bitrates)) ? kMp3Bitrates[index]
                                                                           : 128;
}

int Mp3QualityForIndex(int index)
{
    static const int kQualities[] = {5, 9, 2};
    return index >= 0 && index < 3 ? kQualities[index] : 5;
}

void CConversionPipeline::BeginReading(std::unique_ptr<CAudioFile> reader,
                                       const std::string& source)
{
    m_reader = std::move(reader);
    if (Status decoding = m_reader->BeginDecoding(); !decoding)
        throw CFileException(CFileException::kGeneric, decoding.Reason(), source);
    m_sourcePath = source;
    m_declaredMs = m_reader->GetLength();
    m_decodedSeconds = 0;
    const std::uint32_t rate = m_reader->GetSampleRate();
    if (rate < CPcmConverter::kLowestRate || rate > CPcmConverter::kHighestRate)
        throw CFileException(
            CFileException::kGeneric,
            "a sampling rate of " + std::to_string(rate) + " Hz cannot be converted", source);
}

std::int64_t CConversionPipeline::DecodedMs() const
{
    return std::llround(m_decodedSeconds * 1000);
}

void CConversionPipeline::Close()
{
    // An empty output would pass for a converted file.
    if (m_decodedSeconds == 0)
        throw CFileException(CFileException::kGeneric, "no audio in the file", m_sourcePath);
    FinishWriter();
    m_reader->EndDecoding();
    ReleaseWriter();
    m_reader.reset();
    VerifyOutput();
    if (Status committed = m_temporary.Commit(); !committed)
    {
        m_temporary.Discard();
        throw CFileException(CFileException::kDiskFull, committed.Reason(), m_outputPath);
    }
}

// The finished output is read back before it takes its name and must last
// as long as the audio that was really decoded, whatever the source's
// header claimed: a writer that lost data is a failure, never a converted
// file, while a damaged source yields what it holds.
void CConversionPipeline::VerifyOutput()
{
    std::unique_ptr<CAudioFile> written = CreateAudioFileFor(m_outputPath);
    if (!written)
        return;
    written->SetPath(m_temporary.Path());
    if (Status valid = written->Validate(); !valid)
        throw CFileException(CFileException::kGeneric,
                             "the output cannot be read back: " + valid.Reason(), m_outputPath);
    const std::int64_t actual = written->GetLength();
    written->EndDecoding();
    const std::int64_t expected = DecodedMs();
    if (std::abs(actual - expected) > LengthSlackMs())
        throw CFileException(CFileException::kGeneric,
                             "the output lasts " + std::to_string(actual) +
                                 " ms, the decoded source " + std::to_string(expected) + " ms",
                             m_outputPath);
}

std::string CConversionPipeline::ReserveOutput(const std::string& output)
{
    m_outputPath = MakeValidFileName(output, true);
    if (Status created = m_temporary.Create(m_outputPath); !created)
        throw CFileException(CFileException::kDiskFull, created.Reason(), m_outputPath);
    return m_temporary.Path();
}

bool CConversionPipeline::Convert(IProgressSink& sink)
{
    const std::int64_t total = m_reader->GetLength();
    m_converter.Reset();
    for (;;)
    {
        const std::int32_t got = m_reader->Read(2048, 16, m_input.data(), m_input.size());
        const std::size_t bytes = got > 0 ? static_cast<std::size_t>(got) : 0;
        CountDecoded(bytes);
        const bool last = IsLastBlock(bytes);
        if (m_reader->GetSampleRate() == CPcmConverter::kTargetRate &&
            m_reader->GetChannels() == CPcmConverter::kTargetChannels)
        {
            Write(m_input.data(), bytes);
        }
        else
        {
            WriteConverted(bytes);
            if (last)
                FlushConverter();
            if (bytes == 0)
                Write(m_input.data(), 0); // the writer's end of stream
        }
        if (total > 0)
            sink.SetProgress(static_cast<int>(
                std::clamp<std::int64_t>(m_reader->GetPosition() * 100 / total, 0, 100)));
        if (last || sink.IsCancelled())
            break;
    }
    return sink.IsCancelled();
}

void CConversionPipeline::CountDecoded(std::size_t bytes)
{
    const std::uint32_t rate = m_reader->GetSampleRate();
    const std::size_t frameBytes = 2u * (m_reader->GetChannels() == 1 ? 1u : 2u);
    if (rate > 0)
        m_decodedSeconds += static_cast<double>(bytes / frameBytes) / rate;
}

// Converts one block in as many steps as the output buffer needs, so that
// no input is ever dropped.
void CConversionPipeline::WriteConverted(std::size_t bytes)
{
    m_converter.SetSourceRate(m_reader->GetSampleRate());
    m_converter.SetSourceChannels(m_reader->GetChannels());
    const unsigned channels = m_reader->GetChannels() == 1 ? 1u : 2u;
    m_converted.resize(kConvertedFrames * 2);
    m_converter.SetInput(reinterpret_cast<const std::int16_t*>(m_input.data()),
                         bytes / (2 * channels));
    while (m_converter.InputLeft() > 0)
    {
        m_converter.SetOutput(m_converted.data(), kConvertedFrames);
        std::size_t consumed = 0, produced = 0;
        m_converter.Convert(&consumed, &produced);
        if (produced > 0)
            Write(reinterpret_cast<const std::uint8_t*>(m_converted.data()), produced * 4);
        else if (consumed == 0)
            break;
    }
}

// The resampler holds the last few milliseconds until it knows the end.
void CConversionPipeline::FlushConverter()
{
    for (;;)
    {
        m_converter.SetOutput(m_converted.data(), kConvertedFrames);
        const std::size_t produced = m_converter.Flush();
        if (produced == 0)
            break;
        Write(reinterpret_cast<const std::uint8_t*>(m_converted.data()), produced * 4);
    }
}

void CConversionPipeline::Abandon()
{
    ReleaseWriter();
    if (m_reader)
        m_reader->EndDecoding();
    m_temporary.Discard();
}

void CConvertToMP3::Open(const std::string& source, const std::string& output, int bitRateIndex,
                         int qualityIndex, bool vbr)
{
    BeginReading(SourceFor(source), source);
    OpenWriter(output, bitRateIndex, qualityIndex, vbr);
}

void CConvertToMP3::OpenWriter(const std::string& output, int bitRateIndex, int qualityIndex,
                               bool vbr)
{
    EncodeTags tags;
    tags.title = CutTag(m_reader->GetTitle());
    tags.artist = CutTag(m_reader->GetArtist());
    tags.album = CutTag(m_reader->GetAlbum());
    tags.bitrate = Mp3BitrateForIndex(bitRateIndex);
    tags.quality = Mp3QualityForIndex(qualityIndex);
    tags.vbr = vbr;
    const std::uint64_t samples =
        static_cast<std::uint64_t>(std::max(m_reader->GetLength(), 0)) * 441 / 10;
    m_writer = std::make_unique<CAudioMpegFile>();
    m_writer->BeginEncoding(ReserveOutput(output), tags, samples,
                            Id3v2TagFor(CarriedFrom(SourcePath(), *m_reader)));
}

void CConvertMP3ToMP3::Open(const std::string& source, const std::string& output, int bitRateIndex,
                            int qualityIndex, bool vbr)
{
    auto reader = std::make_unique<CAudioMpegFile>();
    reader->SetPath(source);
    BeginReading(std::move(reader), source);
    OpenWriter(output, bitRateIndex, qualityIndex, vbr);
}

void CConvertToMP3::Write(const std::uint8_t* pcm, std::size_t bytes)
{
    m_writer->EncodeData(pcm, bytes);
}

void CConvertToOGG::Open(const std::string& source, const std::string& output,
                         OggEncodeContext context)
{
    BeginReading(SourceFor(source), source);
    context.title = CutTag(m_reader->GetTitle());
    context.artist = CutTag(m_reader->GetArtist());
    context.album = CutTag(m_reader->GetAlbum());
    for (auto& [name, value] : VorbisCommentsFor(CarriedFrom(source, *m_reader)))
        if (name != "TITLE" && name != "ARTIST" && name != "ALBUM")
            context.moreComments.emplace_back(std::move(name), std::move(value));
    const std::string writing = ReserveOutput(output);
    m_writer = std::make_unique<CAudioOggFile>();
    m_writer->SetPath(writing);
    m_writer->BeginEncoding(writing, context);
}

void CConvertToOGG::Write(const std::uint8_t* pcm, std::size_t bytes)
{
    m_writer->EncodeData(pcm, bytes);
}

void CConvertToWAV::Open(const std::string& source, const std::string& output, int format)
{
    BeginReading(SourceFor(source), source);
    m_compressed = format == 1;
    m_writer = std::make_unique<CAudioWaveFile>();
    m_writer->CarryTags(CarriedFrom(source, *m_reader));
    // An empty text leaves the writer's own, so only real texts are copied.
    if (!m_reader->GetArtist().empty())
        m_writer->SetArtist(m_reader->GetArtist());
    if (!m_reader->GetTitle().empty())
        m_writer->SetTitle(m_reader->GetTitle());
    if (!m_reader->GetAlbum().empty())
        m_writer->SetAlbum(m_reader->GetAlbum());
    const std::string writing = ReserveOutput(output);
    m_writer->SetPath(writing);
    m_writer->CreateForWriting(writing, format == 1 ? CWaveFormat::ImaAdpcm44100Stereo()
                                                    : CWaveFormat::Pcm44100Stereo());
}

void CConvertToWAV::Write(const std::uint8_t* pcm, std::size_t bytes)
{
    m_writer->WriteData(pcm, bytes);
}

void CConvertToWAV::FinishWriter()
{
    m_writer->CloseWriting();
    if (Status written = m_writer->WriteTags(); !written)
        throw CFileException(CFileException::kGeneric, "cannot write the tags: " + written.Reason(),
                             m_outputPath);
}

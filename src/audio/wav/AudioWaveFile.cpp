#include "audio/wav/AudioWaveFile.h"

#include "audio/CarriedTags.h"
#include "audio/wav/WaveTags.h"
#include "io/FileException.h"
#include "io/Paths.h"
#include "io/TemporaryFile.h"
#include "io/Text.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <limits>
#include <stdexcept>

// Decoded samples are handed out as they lie in memory.
static_assert(std::endian::native == std::endian::little, "PCM is exchanged little-endian");

namespace
{
constexpr std::size_t kMaxFormatChunk = 4096;
constexpr std::size_t kMaxReadBlock = 1 << 20;

// Formats whose end of data reads as -1 rather than 0.
bool IsCompressed(const CWaveFormat& format)
{
    const std::uint16_t tag = format.SampleTag();
    return tag != kWaveFormatPcm && tag != kWaveFormatFloat;
}

std::int32_t ClampToInt32(std::int64_t value)
{
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(
        value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}
} // namespace

CAudioWaveFile::~CAudioWaveFile()
{
    EndDecoding();
}

std::uint16_t CAudioWaveFile::GetBitsPerSample() const
{
    return m_formatBlock.BitsPerSample();
}

std::uint32_t CAudioWaveFile::GetSampleRate() const
{
    return m_formatBlock.SamplesPerSecond();
}

std::uint16_t CAudioWaveFile::GetFileChannels() const
{
    return m_formatBlock.Channels();
}

std::uint16_t CAudioWaveFile::GetChannels() const
{
    return std::min<std::uint16_t>(m_formatBlock.Channels(), 2);
}

Status CAudioWaveFile::Open(std::uint32_t access)
{
    if (m_validity && m_file.IsOpen())
        return {};
    m_file.Close();
    const auto mode =
        (access & 3u) == kOpenReadWrite ? CDiskFile::Mode::ReadWrite : CDiskFile::Mode::Read;
    if (!m_file.Open(m_Path, mode))
        return Fail(m_file.ErrorText());
    if ((access & kOpenParse) == 0)
        return {};
    Status parsed = ParseOpened();
    if (!parsed)
        m_file.Close();
    return parsed;
}

Status CAudioWaveFile::ParseOpened()
{
    CRiffReader riff(m_file);
    if (Status header = riff.ReadWaveHeader(); !header)
        return Fail(header.Reason());
    m_Format = kAudioFormatWave;

    RiffChunk fmt;
    if (!riff.Find("fmt ", CRiffReader::kFirstChunk, fmt))
        return Fail("the file has no format chunk");
    if (fmt.size > kMaxFormatChunk)
        return Fail("the format chunk claims " + std::to_string(fmt.size) + " bytes");
    std::vector<std::uint8_t> block;
    if (!riff.ReadData(fmt, block, fmt.size))
        return Fail("the format chunk is cut short");
    block.resize(std::size_t{fmt.size} + 16, 0);
    CWaveFormat format(std::move(block));
    if (format.SamplesPerSecond() == 0 || format.AverageBytesPerSecond() == 0 ||
        format.BlockAlign() == 0)
        return Fail("the format chunk gives no sampling rate or data rate");
    if (format.Channels() == 0)
        return Fail("the format chunk gives no channels");

    // A format we cannot decode still has its length and tags; only its
    // audio is refused, when it is asked for.
    std::unique_ptr<IWaveSampleDecoder> decoder;
    m_undecodable.clear();
    if (!IsPlainPcm16(format))
        if (Status made = CreateWaveSampleDecoder(format, decoder); !made)
            m_undecodable = "cannot decode this WAV format: " + made.Reason();

    RiffChunk data;
    if (!riff.Find("data", CRiffReader::kFirstChunk, data))
        return Fail("the file has no data chunk");

    m_formatBlock = std::move(format);
    m_decoder = std::move(decoder);
    m_dataOffset = data.dataOffset;
    m_dataSize = riff.Available(data);
    // An incomplete sample frame at the end is not audio; a short last
    // compressed block still holds whole samples.
    if (!m_decoder || m_decoder->FramesPerUnit() == 1)
        m_dataSize -= m_dataSize % m_formatBlock.BlockAlign();
    const std::uint64_t ms =
        m_undecodable.empty()
            ? FramesIn(m_dataSize) * 1000 / m_formatBlock.SamplesPerSecond()
            : m_dataSize * 1000 / m_formatBlock.AverageBytesPerSecond(); // all it tells
    m_length = ClampToInt32(static_cast<std::int64_t>(ms));
    ReadTags(riff);

    m_framesDelivered = 0;
    m_dataRead = 0;
    if (!m_file.Seek(m_dataOffset))
        return Fail(m_file.ErrorText());
    return {};
}

void CAudioWaveFile::ReadTags(CRiffReader& riff)
{
    WaveTexts texts = ReadWaveTexts(riff);
    m_Title = std::move(texts.title);
    m_Artist = std::move(texts.artist);
    m_Album = std::move(texts.album);
}

Status CAudioWaveFile::Validate()
{
    if (m_Changed)
    {
        m_validity = Open(kOpenParse);
        m_Changed = false;
        m_file.Close();
    }
    return m_validity;
}

Status CAudioWaveFile::BeginDecoding()
{
    if (Status opened = Open(kOpenParse); !opened)
        return opened;
    if (!m_undecodable.empty())
    {
        m_file.Close();
        return Fail(m_undecodable);
    }
    // Always from the start, even when a previous pass left the file open.
    if (!m_file.Seek(m_dataOffset))
        return Fail(m_file.ErrorText());
    m_framesDelivered = 0;
    m_frameBytesHeld = 0;
    m_dataRead = 0;
    m_decodedBytes = m_delivered = 0;
    const std::size_t unit = m_formatBlock.BlockAlign();
    if (!m_decoder)
    {
        m_readBlock = unit;
        return {};
    }
    const std::size_t perSecond = m_formatBlock.AverageBytesPerSecond();
    m_readBlock = std::max(unit, std::min(perSecond, kMaxReadBlock) / unit * unit);
    m_source.resize(m_readBlock);
    m_decoded.resize(m_readBlock / unit * m_decoder->FramesPerUnit() * m_formatBlock.Channels());
    return {};
}

void CAudioWaveFile::EndDecoding()
{
    m_file.Close();
    m_source = {};
    m_decoded = {};
    m_decodedBytes = m_delivered = 0;
}

std::int32_t CAudioWaveFile::Read(std::size_t size, std::size_t count, void* buffer,
                                  std::size_t capacity)
{
    if (!m_file.IsOpen() || m_formatBlock.IsEmpty() || !m_undecodable.empty())
        return -1;
    const std::size_t wanted = WantedBytes(size, count, capacity);
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::int32_t got = m_decoder ? ReadDecoded(wanted, out) : ReadStored(wanted, out);
    if (got > 0)
    {
        // Positions count whole frames delivered, to the sample.
        const std::size_t frameBytes = 2u * GetChannels();
        m_frameBytesHeld += static_cast<std::size_t>(got);
        m_framesDelivered += m_frameBytesHeld / frameBytes;
        m_frameBytesHeld %= frameBytes;
    }
    return got;
}

std::int32_t CAudioWaveFile::GetPosition() const
{
    const std::uint32_t rate = m_formatBlock.SamplesPerSecond();
    return rate == 0 ? 0 : ClampToInt32(static_cast<std::int64_t>(m_framesDelivered * 1000 / rate));
}

std::uint64_t CAudioWaveFile::FramesIn(std::uint64_t bytes) const
{
    const std::uint64_t unit = m_formatBlock.BlockAlign();
    if (!m_decoder)
        return bytes / unit;
    const std::uint64_t shortUnit = bytes % unit;
    return bytes / unit * m_decoder->FramesPerUnit() +
           (shortUnit > 0 ? m_decoder->FramesInShortUnit(static_cast<std::size_t>(shortUnit)) : 0);
}

std::int32_t CAudioWaveFile::ReadStored(std::size_t wanted, std::uint8_t* out)
{
    wanted = static_cast<std::size_t>(std::min<std::uint64_t>(wanted, DataLeft()));
    const std::int64_t got = m_file.ReadFully(out, wanted);
    if (got < 0)
        return -1;
    m_dataRead += static_cast<std::uint64_t>(got);
    return static_cast<std::int32_t>(got);
}

std::int32_t CAudioWaveFile::ReadDecoded(std::size_t wanted, std::uint8_t* out)
{
    std::size_t delivered = 0;
    while (delivered < wanted)
    {
        if (m_delivered < m_decodedBytes)
        {
            const std::size_t piece = std::min(m_decodedBytes - m_delivered, wanted - delivered);
            std::memcpy(out + delivered,
                        reinterpret_cast<const std::uint8_t*>(m_decoded.data()) + m_delivered,
                        piece);
            m_delivered += piece;
            delivered += piece;
        }
        else if (!RefillDecoded())
        {
            break;
        }
    }
    if (delivered == 0)
        return IsCompressed(m_formatBlock) ? -1 : 0;
    return static_cast<std::int32_t>(delivered);
}

// Reads one read block of file data and decodes it; false at the end.
bool CAudioWaveFile::RefillDecoded()
{
    const std::size_t wanted =
        static_cast<std::size_t>(std::min<std::uint64_t>(m_readBlock, DataLeft()));
    if (wanted == 0)
        return false;
    const std::int64_t got = m_file.ReadFully(m_source.data(), wanted);
    if (got <= 0)
        return false;
    m_dataRead += static_cast<std::uint64_t>(got);
    const std::size_t samples =
        m_decoder->Decode(m_source.data(), static_cast<std::size_t>(got), m_decoded.data());
    m_decodedBytes = samples * sizeof(std::int16_t);
    m_delivered = 0;
    return true;
}

std::uint64_t CAudioWaveFile::DataLeft() const
{
    return m_dataSize > m_dataRead ? m_dataSize - m_dataRead : 0;
}

void CAudioWaveFile::Seek(std::int32_t milliseconds)
{
    if (!m_file.IsOpen() || m_formatBlock.IsEmpty())
        return;
    const std::uint64_t perSecond = m_formatBlock.AverageBytesPerSecond();
    const std::uint64_t seconds = static_cast<std::uint64_t>(std::max(milliseconds, 0) / 1000);
    std::uint64_t offset = seconds * perSecond / m_readBlock * m_readBlock;
    offset = std::min(offset, m_dataSize / m_readBlock * m_readBlock);
    if (!m_file.Seek(m_dataOffset + offset))
        return;
    m_dataRead = offset;
    m_framesDelivered = FramesIn(offset);
    m_frameBytesHeld = 0;
    m_decodedBytes = m_delivered = 0;
}

void CAudioWaveFile::CarryTags(const CarriedTags& tags)
{
    m_carried.fields = tags.fields; // a WAV file keeps no picture
}

Status CAudioWaveFile::WriteTags()
{
    m_file.Close();
    CarriedTags tags = m_carried;
    tags.Set("TITLE", m_Title);
    tags.Set("ARTIST", m_Artist);
    tags.Set("ALBUM", m_Album);
    if (Status written = WriteWaveTags(m_Path, tags); !written)
        return Fail(written.Reason());
    return {};
}

void CAudioWaveFile::CreateForWriting(const std::string& path, const CWaveFormat& format)
{
    m_Path = MakeValidFileName(path, true);
    m_formatBlock = CWaveFormat(format.BlockToWrite());
    m_encoder.reset();
    m_held.clear();
    if (m_formatBlock.Tag() == kWaveFormatImaAdpcm)
    {
        try
        {
            m_encoder = std::make_unique<CImaAdpcmEncoder>(m_formatBlock.Channels(),
                                                           m_formatBlock.BlockAlign());
        }
        catch (const std::invalid_argument&)
        {
            throw CFileException(CFileException::kGeneric,
                                 "IMA ADPCM cannot be written in this layout", m_Path);
        }
    }
    else if (m_formatBlock.Tag() != kWaveFormatPcm)
    {
        throw CFileException(CFileException::kGeneric, "this kind of WAV file cannot be written",
                             m_Path);
    }
    m_writer = std::make_unique<CRiffWaveWriter>();
    m_writer->Create(m_Path, m_formatBlock.Bytes());
}

void CAudioWaveFile::WriteData(const void* data, std::size_t count)
{
    if (!m_writer)
        return;
    try
    {
        if (!m_encoder)
        {
            m_writer->Write(data, count);
            return;
        }
        const auto* bytes = static_cast<const std::uint8_t*>(data);
        m_held.insert(m_held.end(), bytes, bytes + count);
        EncodeHeldFrames(false);
    }
    catch (...)
    {
        m_writer.reset();
        m_encoder.reset();
        throw;
    }
}

void CAudioWaveFile::CloseWriting()
{
    if (!m_writer)
        return;
    try
    {
        if (m_encoder)
            EncodeHeldFrames(true);
        m_writer->Finish();
    }
    catch (...)
    {
        m_writer.reset();
        m_encoder.reset();
        throw;
    }
    m_writer.reset();
    m_encoder.reset();
    m_held = {};
}

// Encodes every whole block of held PCM. At the end, the last partial block
// is filled up by holding its final sample, so that every decoder reads it
// and it ends without a click.
void CAudioWaveFile::EncodeHeldFrames(bool final)
{
    const std::size_t channels = m_formatBlock.Channels();
    const std::size_t frameBytes = channels * sizeof(std::int16_t);
    const std::size_t blockBytes = m_encoder->SamplesPerBlock() * frameBytes;
    std::vector<std::int16_t> frames(m_encoder->SamplesPerBlock() * channels);
    m_encoded.resize(m_encoder->BlockAlign());
    std::size_t used = 0;
    for (; m_held.size() - used >= blockBytes; used += blockBytes)
    {
        std::memcpy(frames.data(), m_held.data() + used, blockBytes);
        m_encoder->EncodeBlock(frames.data(), m_encoded.data());
        m_writer->Write(m_encoded.data(), m_encoded.size());
    }
    const std::size_t wholeFrames = (m_held.size() - used) / frameBytes;
    if (final && wholeFrames > 0)
    {
        std::memcpy(frames.data(), m_held.data() + used, wholeFrames * frameBytes);
        for (std::size_t f = wholeFrames; f < m_encoder->SamplesPerBlock(); ++f)
            std::memcpy(&frames[f * channels], &frames[(wholeFrames - 1) * channels], frameBytes);
        m_encoder->EncodeBlock(frames.data(), m_encoded.data());
        m_writer->Write(m_encoded.data(), m_encoded.size());
        used = m_held.size();
    }
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<long>(used));
}

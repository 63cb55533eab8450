#include "audio/wav/AudioWaveFile.h"

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
constexpr std::size_t kTagTextBytes = 63; // a 64-byte field keeps its closing zero
constexpr std::uint32_t kTagChunkSize = 64;
constexpr std::size_t kMaxReadBlock = 1 << 20;
const char* const kTagIds[3] = {"TITL", "INTR", "ALBU"};

bool IsTagChunk(const RiffChunk& chunk)
{
    return chunk.Is(kTagIds[0]) || chunk.Is(kTagIds[1]) || chunk.Is(kTagIds[2]);
}

// Formats whose end of data reads as -1 rather than 0.
bool IsCompressed(const CWaveFormat& format)
{
    const std::uint16_t tag = format.SampleTag();
    return tag != kWaveFormatPcm && tag != kWaveFormatFloat;
}

std::vector<std::uint8_t> TagField(const std::string& text)
{
    const std::string cut = CutUtf8(text, kTagTextBytes);
    std::vector<std::uint8_t> field(kTagChunkSize, 0);
    std::memcpy(field.data(), cut.data(), cut.size());
    return field;
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

std::uint16_t CAudioWaveFile::GetChannels() const
{
    return std::min<std::uint16_t>(m_formatBlock.Channels(), 2);
}

bool CAudioWaveFile::Open(std::uint32_t access)
{
    if (m_Valid && m_file.IsOpen())
        return true;
    m_file.Close();
    const auto mode =
        (access & 3u) == kOpenReadWrite ? CDiskFile::Mode::ReadWrite : CDiskFile::Mode::Read;
    if (!m_file.Open(m_Path, mode))
        return Fail(m_file.ErrorText());
    if ((access & kOpenParse) == 0)
        return true;
    if (!ParseOpened())
    {
        m_file.Close();
        return false;
    }
    return true;
}

bool CAudioWaveFile::ParseOpened()
{
    CRiffReader riff(m_file);
    std::string error;
    if (!riff.ReadWaveHeader(error))
        return Fail(error);
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

    std::unique_ptr<IWaveSampleDecoder> decoder;
    if (!IsPlainPcm16(format) && !(decoder = CreateWaveSampleDecoder(format, error)))
        return Fail(error);

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
    m_length = ClampToInt32(
        static_cast<std::int64_t>(FramesIn(m_dataSize) * 1000 / m_formatBlock.SamplesPerSecond()));
    ReadTags(riff, data);

    m_framesDelivered = 0;
    m_dataRead = 0;
    return m_file.Seek(m_dataOffset) || Fail(m_file.ErrorText());
}

// Takes each of the three texts from the first chunk of its name; a name
// that is missing leaves its text empty.
void CAudioWaveFile::ReadTags(CRiffReader& riff, const RiffChunk&)
{
    std::string* texts[3] = {&m_Title, &m_Artist, &m_Album};
    for (std::string* text : texts)
        text->clear();
    bool found[3] = {false, false, false};
    RiffChunk chunk;
    for (std::uint64_t at = CRiffReader::kFirstChunk; riff.ChunkAt(at, chunk); at = chunk.End())
    {
        for (int i = 0; i < 3; ++i)
        {
            std::vector<std::uint8_t> bytes;
            if (found[i] || !chunk.Is(kTagIds[i]) || !riff.ReadData(chunk, bytes, kTagChunkSize))
                continue;
            const auto end = std::find(bytes.begin(), bytes.end(), std::uint8_t{0});
            *texts[i] = Utf8FromLegacy(std::string(bytes.begin(), end));
            found[i] = true;
        }
    }
}

bool CAudioWaveFile::IsValid()
{
    if (m_Changed)
    {
        m_Valid = Open(kOpenParse);
        m_Changed = false;
        m_file.Close();
    }
    return m_Valid;
}

bool CAudioWaveFile::BeginDecoding()
{
    if (!Open(kOpenParse))
        return false;
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
        return true;
    }
    const std::size_t perSecond = m_formatBlock.AverageBytesPerSecond();
    m_readBlock = std::max(unit, std::min(perSecond, kMaxReadBlock) / unit * unit);
    m_source.resize(m_readBlock);
    m_decoded.resize(m_readBlock / unit * m_decoder->FramesPerUnit() * m_formatBlock.Channels());
    return true;
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
    if (!m_file.IsOpen() || m_formatBlock.IsEmpty())
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

bool CAudioWaveFile::WriteTags()
{
    m_file.Close();
    if (!Open(kOpenReadWrite))
        return false;
    struct Closer
    {
        CDiskFile& file;
        ~Closer() { file.Close(); }
    } closer{m_file};

    CRiffReader riff(m_file);
    std::string error;
    if (!riff.ReadWaveHeader(error))
        return Fail(error);
    const std::vector<std::uint8_t> fields[3] = {TagField(m_Title), TagField(m_Artist),
                                                 TagField(m_Album)};

    // A complete set in our own layout is overwritten where it stands, as
    // long as each of its chunks is the first of its name, the one read.
    RiffChunk set[3];
    bool inPlace = riff.Find(kTagIds[0], CRiffReader::kFirstChunk, set[0]);
    for (int i = 0; inPlace && i < 3; ++i)
    {
        RiffChunk first;
        inPlace = (i == 0 || (riff.ChunkAt(set[i - 1].End(), set[i]) && set[i].Is(kTagIds[i]))) &&
                  riff.Available(set[i]) >= kTagChunkSize &&
                  riff.Find(kTagIds[i], CRiffReader::kFirstChunk, first) &&
                  first.dataOffset == set[i].dataOffset;
    }
    if (inPlace)
    {
        for (int i = 0; i < 3; ++i)
            if (!m_file.Seek(set[i].dataOffset) || !m_file.Write(fields[i].data(), kTagChunkSize))
                return Fail(m_file.ErrorText());
        return true;
    }

    // The new chunks go where the chunk walk looks next: after the last
    // chunk, once that is settled to what the file holds (a streamed data
    // chunk claims more, and would swallow them as audio). Bytes the walk
    // does not cover belong to some other program (an appended tag, say);
    // new chunks behind them could never be found, and before them they
    // would overwrite them. Such files keep their tags.
    RiffChunk chunk, last;
    bool settle = false;
    std::uint64_t walkEnd = CRiffReader::kFirstChunk;
    for (; riff.ChunkAt(walkEnd, chunk); walkEnd = chunk.End())
        last = chunk;
    if (walkEnd > CRiffReader::kFirstChunk && riff.Available(last) < last.size)
    {
        const std::uint32_t held = riff.Available(last);
        settle = true;
        walkEnd = last.dataOffset + held + (held & 1u);
    }
    const std::uint64_t fileSize = riff.FileSize();
    if (walkEnd < fileSize)
        return Fail("the file has other data after its chunks; no tags were added");
    // The last chunk's pad byte, when the file lacks it, comes first.
    std::vector<std::uint8_t> tail(walkEnd - fileSize, 0);
    for (int i = 0; i < 3; ++i)
    {
        std::uint8_t header[8];
        std::memcpy(header, kTagIds[i], 4);
        PutLE32(header + 4, kTagChunkSize);
        tail.insert(tail.end(), header, header + 8);
        tail.insert(tail.end(), fields[i].begin(), fields[i].end());
    }
    const std::uint64_t end = fileSize + tail.size();
    if (end - 8 > 0xFFFFFFFFull)
        return Fail("the file is too large for more chunks");

    // Every change is made to a copy beside the file, which replaces it only
    // once complete: a full disk or a crash while the file grows can then
    // never leave it half changed. Any tag chunks there are become padding
    // where they stand, and a fresh set goes after the last chunk; nothing
    // else in the file is touched.
    std::vector<std::uint64_t> retired;
    for (std::uint64_t at = CRiffReader::kFirstChunk; riff.ChunkAt(at, chunk); at = chunk.End())
        if (IsTagChunk(chunk))
            retired.push_back(chunk.HeaderOffset());
    m_file.Close();

    CTemporaryFile temporary;
    if (!temporary.CreateCopy(FollowLinks(m_Path), m_Path, error))
        return Fail(error);
    CDiskFile copy;
    if (!copy.Open(temporary.Path(), CDiskFile::Mode::ReadWrite))
        return Fail(copy.ErrorText());
    for (std::uint64_t at : retired)
        if (!copy.Seek(at) || !copy.Write("JUNK", 4))
            return Fail(copy.ErrorText());
    if (settle)
    {
        std::uint8_t size[4];
        PutLE32(size, riff.Available(last));
        if (!copy.Seek(last.dataOffset - 4) || !copy.Write(size, 4))
            return Fail(copy.ErrorText());
    }
    std::uint8_t riffSize[4];
    PutLE32(riffSize, static_cast<std::uint32_t>(end - 8));
    if (!copy.Seek(fileSize) || !copy.Write(tail.data(), tail.size()) || !copy.Seek(4) ||
        !copy.Write(riffSize, 4))
        return Fail(copy.ErrorText());
    copy.Close();
    return temporary.Commit(error) || Fail(error);
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

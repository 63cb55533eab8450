#include "audio/mpeg/AudioMpegFile.h"

#include "audio/mpeg/MpegTags.h"

#include <algorithm>
#include <cstring>
#include <limits>

Status CAudioMpegFile::Open(std::uint32_t)
{
    // Tags first: they are read even when the audio cannot be decoded.
    TrackTags tags;
    if (ReadMpegTags(m_Path, tags))
    {
        m_Title = tags.title;
        m_Artist = tags.artist;
        m_Album = tags.album;
    }
    else
    {
        m_Title.clear();
        m_Artist.clear();
        m_Album.clear();
    }

    m_decoder = std::make_unique<CMpegDecoder>();
    m_decoder->SetInterrupt(m_Interrupt);
    m_block.assign(kBlockSize, 0);
    m_held.clear();
    m_outputFormat = {};
    if (Status opened = m_decoder->Open(m_Path); !opened)
    {
        m_decoder.reset();
        m_length = 0;
        return Fail(opened.Reason());
    }
    m_decoder->DecodeBlock(m_block.data(), m_block.size());
    m_outputFormat = m_decoder->OutputFormat();
    m_decoder->SeekMs(0);
    m_length = static_cast<std::int32_t>(
        std::min<std::int64_t>(m_decoder->DurationMs(), std::numeric_limits<std::int32_t>::max()));
    return {};
}

std::int32_t CAudioMpegFile::Read(std::size_t size, std::size_t count, void* buffer,
                                  std::size_t capacity)
{
    const std::size_t wanted = WantedBytes(size, count, capacity);
    auto* out = static_cast<std::uint8_t*>(buffer);

    std::size_t delivered = std::min(m_held.size(), wanted);
    if (delivered > 0)
        std::memcpy(out, m_held.data(), delivered);
    m_held.erase(m_held.begin(), m_held.begin() + static_cast<long>(delivered));
    while (delivered < wanted && m_decoder)
    {
        std::fill(m_block.begin(), m_block.end(), std::uint8_t{0});
        const std::int64_t got = m_decoder->DecodeBlock(m_block.data(), m_block.size());
        if (got <= 0)
            break;
        m_outputFormat = m_decoder->OutputFormat();
        const std::size_t block = static_cast<std::size_t>(got);
        const std::size_t fits = std::min(block, wanted - delivered);
        std::memcpy(out + delivered, m_block.data(), fits);
        delivered += fits;
        m_held.assign(m_block.begin() + static_cast<long>(fits),
                      m_block.begin() + static_cast<long>(block));
    }
    return static_cast<std::int32_t>(delivered);
}

std::int32_t CAudioMpegFile::GetPosition() const
{
    if (!m_decoder)
        return 0;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(m_decoder->PositionMs(), std::numeric_limits<std::int32_t>::max()));
}

void CAudioMpegFile::Seek(std::int32_t milliseconds)
{
    if (!m_decoder)
        return;
    m_decoder->SeekMs(milliseconds);
    m_held.clear(); // what was held belongs before the new position
}

void CAudioMpegFile::EndDecoding()
{
    m_decoder.reset();
    m_block = {};
    m_held = {};
}

Status CAudioMpegFile::WriteTags()
{
    EndDecoding();
    if (Status written = WriteMpegTags(m_Path, {m_Title, m_Artist, m_Album}); !written)
        return Fail(written.Reason());
    // The tags are in; a reopen that fails shows at the next read.
    (void)Open(kOpenDecode);
    return {};
}

void CAudioMpegFile::BeginEncoding(const std::string& path, const EncodeTags& tags,
                                   std::uint64_t samples, const std::vector<std::uint8_t>& id3v2)
{
    m_Path = MakeValidFileName(path, true);
    m_encoder = std::make_unique<CMp3Encoder>();
    m_encoder->Begin(m_Path, tags, samples, id3v2);
}

void CAudioMpegFile::EncodeData(const void* pcm, std::size_t bytes)
{
    if (m_encoder)
        m_encoder->Encode(pcm, bytes);
}

void CAudioMpegFile::EndEncoding()
{
    if (!m_encoder)
        return;
    std::unique_ptr<CMp3Encoder> encoder = std::move(m_encoder);
    encoder->End();
}

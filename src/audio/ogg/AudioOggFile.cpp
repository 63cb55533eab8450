#include "audio/ogg/AudioOggFile.h"

#include "audio/ogg/OggCommentRewriter.h"
#include "io/Paths.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <limits>

namespace
{
// Bytes asked of the decoder per piece.
constexpr std::size_t kPieceBytes = 4096;

std::int32_t MillisecondsOf(std::int64_t frames, std::uint32_t rate)
{
    if (rate == 0 || frames <= 0)
        return 0;
    // Frames come from the file's granule positions, which may be anything.
    const std::int64_t ms = frames / rate * 1000 + frames % rate * 1000 / rate;
    return static_cast<std::int32_t>(
        std::min<std::int64_t>(ms, std::numeric_limits<std::int32_t>::max()));
}
} // namespace

Status CAudioOggFile::Open(std::uint32_t)
{
    EndDecoding();
    auto decoder = std::make_unique<COggVorbisDecoder>();
    if (Status opened = decoder->Open(m_Path); !opened)
        return Fail(opened.Reason());
    m_rate = decoder->Rate();
    m_channels = static_cast<std::uint16_t>(decoder->Channels());
    m_fileChannels = static_cast<std::uint16_t>(decoder->SourceChannels());
    m_length = MillisecondsOf(decoder->TotalFrames(), m_rate);
    m_Title = decoder->Comment("TITLE");
    m_Artist = decoder->Comment("ARTIST");
    m_Album = decoder->Comment("ALBUM");
    m_decoder = std::move(decoder);
    // Room for a piece of the source's channels; a mixed-down one is smaller.
    m_block.resize(kPieceBytes);
    return {};
}

Status CAudioOggFile::Validate()
{
    const bool checking = m_Changed;
    Status valid = CAudioFile::Validate();
    // A listed track should not hold its file open.
    if (checking)
        EndDecoding();
    return valid;
}

void CAudioOggFile::EndDecoding()
{
    m_decoder.reset();
    m_block = {};
    m_heldAt = m_heldEnd = 0;
}

std::int32_t CAudioOggFile::Read(std::size_t size, std::size_t count, void* buffer,
                                 std::size_t capacity)
{
    if (!m_decoder)
        return -1;
    const std::size_t wanted = WantedBytes(size, count, capacity);
    auto* out = static_cast<std::uint8_t*>(buffer);
    std::size_t delivered = 0;
    while (delivered < wanted)
    {
        if (m_heldAt < m_heldEnd)
        {
            const std::size_t piece = std::min(m_heldEnd - m_heldAt, wanted - delivered);
            std::memcpy(out + delivered, m_block.data() + m_heldAt, piece);
            m_heldAt += piece;
            delivered += piece;
            continue;
        }
        // Whole pieces go straight to the caller; only a last partial one
        // is held back for the next call.
        const bool direct = wanted - delivered >= kPieceBytes;
        const std::int32_t got =
            m_decoder->Decode(direct ? out + delivered : m_block.data(), kPieceBytes);
        if (got <= 0)
            break;
        if (direct)
        {
            delivered += static_cast<std::size_t>(got);
        }
        else
        {
            m_heldAt = 0;
            m_heldEnd = static_cast<std::size_t>(got);
        }
    }
    return static_cast<std::int32_t>(delivered);
}

std::int32_t CAudioOggFile::GetPosition() const
{
    return m_decoder ? MillisecondsOf(m_decoder->Tell(), m_rate) : 0;
}

void CAudioOggFile::Seek(std::int32_t milliseconds)
{
    if (!m_decoder)
        return;
    const std::int64_t frame =
        std::int64_t{m_rate / 1000} * std::max<std::int64_t>(milliseconds, 0);
    if (m_decoder->Seek(frame))
        m_heldAt = m_heldEnd = 0;
}

Status CAudioOggFile::WriteTags()
{
    EndDecoding();
    // The rewrite replaces the file by a new one, which a read-only file must
    // not allow, as the other formats do not.
    if (IsReadOnly())
        return Fail("the file is read-only");
    if (Status rewritten = RewriteVorbisComments(
            FollowLinks(m_Path), {{"TITLE", m_Title}, {"ARTIST", m_Artist}, {"ALBUM", m_Album}});
        !rewritten)
        return Fail(rewritten.Reason());
    return {};
}

void CAudioOggFile::BeginEncoding(const std::string& path, const OggEncodeContext& context)
{
    m_encoder.reset();
    m_encoder = COggVorbisEncoder::Create(path, context);
}

void CAudioOggFile::EncodeData(const void* pcm, std::size_t bytes)
{
    m_channels = 2;
    if (m_encoder)
        m_encoder->Encode(static_cast<const std::uint8_t*>(pcm), bytes);
}

void CAudioOggFile::EndEncoding()
{
    std::unique_ptr<COggVorbisEncoder> encoder = std::move(m_encoder);
    if (encoder)
        encoder->Finish();
}

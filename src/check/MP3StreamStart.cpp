#include "check/MP3StreamStart.h"

#include "check/MP3HeaderCache.h"
#include "io/ByteSource.h"

#include <algorithm>
#include <cstring>

namespace
{
constexpr std::size_t kId3v2HeaderSize = 10;
// Longer than any MPEG audio frame (MPEG-2 Layer II, 160 kbit/s at 8 kHz:
// 2881 bytes), with room for the next header.
constexpr std::size_t kFrameAllowance = 4096;
constexpr int kMostLeadingTags = 8;
// Header bits every frame of one stream shares: sync, version, layer and
// sampling rate.
constexpr std::uint32_t kStreamBits = 0xFFFE0C00u;

// The whole size of the ID3v2 tag whose header opens `head`, or 0 when
// `head` is no such header. Size bytes carry seven bits each; a tag with
// a footer has ten bytes more.
std::uint64_t Id3v2TagSize(const std::uint8_t* head)
{
    if (std::memcmp(head, "ID3", 3) != 0 || head[3] == 0xFF || head[4] == 0xFF)
        return 0;
    std::uint64_t size = 0;
    for (int i = 6; i < 10; ++i)
    {
        if (head[i] & 0x80)
            return 0;
        size = size << 7 | head[i];
    }
    const bool footer = head[3] >= 4 && (head[5] & 0x10);
    return kId3v2HeaderSize + size + (footer ? kId3v2HeaderSize : 0);
}

// The bytes from the end of the ID3v2 tags on, read a piece at a time as the
// search needs them, never more than the window and a frame.
class CSearchWindow
{
public:
    static constexpr std::size_t kCapacity = MP3StreamStart::kSearchWindow + kFrameAllowance;
    static constexpr std::size_t kPiece = 64 * 1024;

    explicit CSearchWindow(IByteSource& source) : m_source(source) {}

    // Makes the first `count` bytes (at most kCapacity) available unless the
    // source ends first. False on a read error.
    bool Fill(std::size_t count)
    {
        count = std::min(count, kCapacity);
        while (m_held < count && !m_ended)
        {
            if (m_bytes.size() < count)
                m_bytes.resize(std::min(kCapacity, std::max(count, m_held + kPiece)));
            const std::int64_t got = ReadUntilFull(
                [this](std::uint8_t* at, std::size_t n) { return m_source.Read(at, n); },
                m_bytes.data() + m_held, m_bytes.size() - m_held);
            if (got < 0)
                return false;
            m_ended = static_cast<std::size_t>(got) < m_bytes.size() - m_held;
            m_held += static_cast<std::size_t>(got);
        }
        return true;
    }

    // Moves the window `count` bytes on. False on a read error.
    bool Consume(std::uint64_t count)
    {
        if (count <= m_held)
        {
            const std::size_t kept = m_held - static_cast<std::size_t>(count);
            std::memmove(m_bytes.data(), m_bytes.data() + count, kept);
            m_held = kept;
            return true;
        }
        const std::uint64_t beyond = count - m_held;
        m_held = 0;
        return m_source.Skip(beyond);
    }

    std::size_t Held() const { return m_held; }
    // Whether the bytes held run to the end of the source.
    bool Ended() const { return m_ended; }
    const std::uint8_t* Data() const { return m_bytes.data(); }

    std::uint32_t WordAt(std::size_t at) const
    {
        return static_cast<std::uint32_t>(m_bytes[at]) << 24 |
               static_cast<std::uint32_t>(m_bytes[at + 1]) << 16 |
               static_cast<std::uint32_t>(m_bytes[at + 2]) << 8 | m_bytes[at + 3];
    }

private:
    IByteSource& m_source;
    std::vector<std::uint8_t> m_bytes;
    std::size_t m_held = 0;
    bool m_ended = false;
};
} // namespace

Status FindMP3StreamStart(IByteSource& source, MP3StreamStart& start)
{
    start = MP3StreamStart{};
    const std::uint64_t fileSize = source.Size();
    start.fileSize = fileSize;
    CSearchWindow window(source);
    std::uint64_t windowStart = 0;

    // Tags one after the other are skipped, a few at most, so that a file of
    // nothing but tiny tags costs no more than any other; a tag claiming more
    // than the file holds is not believed, and its bytes are searched like
    // any others.
    for (int tags = 0; tags < kMostLeadingTags; ++tags)
    {
        if (!window.Fill(kId3v2HeaderSize))
            return Status::Failure(source.ErrorText());
        const std::uint64_t tagSize =
            window.Held() >= kId3v2HeaderSize ? Id3v2TagSize(window.Data()) : std::uint64_t{0};
        if (tagSize == 0 || tagSize > fileSize - windowStart)
            break;
        if (!window.Consume(tagSize))
            return Status::Failure(source.ErrorText());
        windowStart += tagSize;
        start.tagsEnd = windowStart;
    }

    CMP3HeaderCache headers;
    for (std::size_t at = 0; at < MP3StreamStart::kSearchWindow; ++at)
    {
        if (!window.Fill(at + kFrameAllowance))
            return Status::Failure(source.ErrorText());
        const std::size_t held = window.Held();
        if (at + 4 > held)
            break;
        const std::uint8_t* bytes = window.Data();
        if (bytes[at] != 0xFF || (bytes[at + 1] & 0xE0) != 0xE0)
            continue;
        const MP3FrameInfo& frame = headers.Decode(window.WordAt(at));
        if (!frame.valid || frame.frameLength <= 0)
            continue;
        const std::uint32_t word = frame.headerWord;
        const std::size_t next = at + static_cast<std::size_t>(frame.frameLength);
        bool chained = false;
        if (next + 4 <= held)
        {
            const MP3FrameInfo& following = headers.Decode(window.WordAt(next));
            chained =
                following.valid && (following.headerWord & kStreamBits) == (word & kStreamBits);
        }
        chained = chained || (window.Ended() && next == held) ||
                  (next + 3 <= held && std::memcmp(bytes + next, "TAG", 3) == 0);
        if (!chained)
            continue;
        start.found = true;
        start.offset = windowStart + at;
        start.frame = headers.Decode(word);
        start.firstFrame.assign(bytes + at, bytes + std::min(next, held));
        return {};
    }
    return {};
}

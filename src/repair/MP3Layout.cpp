#include "repair/MP3Layout.h"

#include "check/MP3Check.h"
#include "check/MP3HeaderCache.h"
#include "check/MP3InformationFrame.h"
#include "check/MP3StreamStart.h"
#include "repair/FileWindow.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace
{
// Header bits every frame of one stream shares: sync, version, layer,
// protection and sampling rate.
constexpr std::uint32_t kStreamBits = 0xFFFE0C00u;
constexpr std::uint64_t kId3v1Size = 128;
constexpr std::uint64_t kApeFooterSize = 32;
constexpr std::uint32_t kApeHasHeader = 0x80000000u;
// A chain this short amid junk is as likely a chance sync word as audio.
constexpr std::uint64_t kShortestLoneChain = 2;
// A Xing or Info block with all its fields: tag, flags, two counts, the
// table of contents and the quality.
constexpr std::size_t kFullBlockSize = 120;

std::uint32_t LittleEndianAt(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) | static_cast<std::uint32_t>(at[1]) << 8 |
           static_cast<std::uint32_t>(at[2]) << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}

// Where the tags at the end of the file start: an ID3v1 tag in the last 128
// bytes, and before it an APE tag whose footer's size fits what is there.
std::uint64_t TrailingTagsStart(CFileWindow& file, std::uint64_t floor)
{
    std::uint64_t end = file.Size();
    if (end >= floor + kId3v1Size)
    {
        const std::uint8_t* tag = file.At(end - kId3v1Size, 3);
        if (tag && std::memcmp(tag, "TAG", 3) == 0)
            end -= kId3v1Size;
    }
    if (end < floor + kApeFooterSize)
        return end;
    const std::uint8_t* footer = file.At(end - kApeFooterSize, kApeFooterSize);
    if (!footer || std::memcmp(footer, "APETAGEX", 8) != 0)
        return end;
    const std::uint64_t size = LittleEndianAt(footer + 12);
    const std::uint64_t whole = size + (LittleEndianAt(footer + 20) & kApeHasHeader ? 32 : 0);
    if (size < kApeFooterSize || whole > end - floor)
        return end;
    return end - whole;
}

class CChainScan
{
public:
    CChainScan(CFileWindow& file, ByteSpan audio) : m_file(file), m_audio(audio) {}

    // Every chain of the audio span, in file order; a chain of a single
    // frame counts only where it ends the audio. A chain's last frame is
    // kept only where the audio ends after it or another header of the
    // stream follows it: one that runs into junk mostly holds some of it.
    // Single frames go to `loneFrames`; `lost` counts the frames dropped
    // at the ends of chains, and those the audio span ends inside.
    bool Scan(std::vector<FrameChain>& chains, std::vector<ByteSpan>& loneFrames,
              std::uint64_t& lost)
    {
        std::uint64_t at = m_audio.start;
        while (at + 4 <= m_audio.end)
        {
            const MP3FrameInfo* frame = FrameAt(at, 0);
            if (!frame)
            {
                if (m_file.Failed())
                    return false;
                ++at;
                continue;
            }
            const std::uint32_t stream = frame->headerWord & kStreamBits;
            FollowedChain followed = Follow(at, stream);
            const FrameChain& whole = followed.whole;
            if (whole.frames < kShortestLoneChain && whole.span.end != m_audio.end)
            {
                if (whole.frames == 1)
                    loneFrames.push_back(whole.span);
                ++at;
                continue;
            }
            at = whole.span.end;
            const bool cutShort = IsCutShort(at, stream);
            const bool confirmed = cutShort || OnlyZerosUntilTheEnd(at);
            lost += (cutShort ? 1 : 0) + (confirmed ? 0 : 1);
            const FrameChain& kept = confirmed ? whole : followed.withoutLast;
            if (kept.frames > 0)
                chains.push_back(kept);
        }
        return !m_file.Failed();
    }

    // A usable header at `at` whose frame fits in the audio span, of the
    // stream `stream` unless that is 0.
    const MP3FrameInfo* FrameAt(std::uint64_t at, std::uint32_t stream)
    {
        std::uint32_t word = 0;
        if (!m_file.WordAt(at, word) || (word & 0xFFE00000u) != 0xFFE00000u)
            return nullptr;
        if (stream != 0 && (word & kStreamBits) != stream)
            return nullptr;
        const MP3FrameInfo& frame = m_headers.Decode(word);
        if (!frame.valid || frame.frameLength < 4 ||
            static_cast<std::uint64_t>(frame.frameLength) > m_audio.end - at)
            return nullptr;
        return &frame;
    }

private:
    bool IsCutShort(std::uint64_t at, std::uint32_t stream)
    {
        std::uint32_t word = 0;
        if (!m_file.WordAt(at, word) || (word & kStreamBits) != stream)
            return false;
        const MP3FrameInfo& frame = m_headers.Decode(word);
        return frame.valid && static_cast<std::uint64_t>(frame.frameLength) > m_audio.end - at;
    }

    struct FollowedChain
    {
        FrameChain whole;
        FrameChain withoutLast;
    };

    FollowedChain Follow(std::uint64_t at, std::uint32_t stream)
    {
        FollowedChain followed;
        FrameChain& chain = followed.whole;
        chain.span = {at, at};
        followed.withoutLast = chain;
        while (const MP3FrameInfo* frame = FrameAt(chain.span.end, stream))
        {
            followed.withoutLast = chain;
            chain.span.end += static_cast<std::uint64_t>(frame->frameLength);
            const auto bitrate = static_cast<std::uint16_t>(1u << (frame->headerWord >> 12 & 0xFu));
            if (chain.frames > 0)
                chain.laterBitrates |= bitrate;
            chain.bitrates |= bitrate;
            ++chain.frames;
        }
        return followed;
    }

    // Zero bytes after the last frame are padding, not junk.
    bool OnlyZerosUntilTheEnd(std::uint64_t at)
    {
        constexpr std::uint64_t kLongestPadding = 64 * 1024;
        if (at == m_audio.end)
            return true;
        if (m_audio.end - at > kLongestPadding)
            return false;
        const auto count = static_cast<std::size_t>(m_audio.end - at);
        const std::uint8_t* bytes = m_file.At(at, count);
        return bytes && std::all_of(bytes, bytes + count, [](std::uint8_t b) { return b == 0; });
    }

    CFileWindow& m_file;
    ByteSpan m_audio;
    CMP3HeaderCache m_headers;
};

// The stream with the most frames, by its shared header bits.
std::uint32_t MainStream(CFileWindow& file, const std::vector<FrameChain>& chains)
{
    std::map<std::uint32_t, std::uint64_t> frames;
    for (const FrameChain& chain : chains)
    {
        std::uint32_t word = 0;
        if (file.WordAt(chain.span.start, word))
            frames[word & kStreamBits] += chain.frames;
    }
    std::uint32_t best = 0;
    std::uint64_t most = 0;
    for (const auto& [stream, count] : frames)
    {
        if (count > most)
        {
            best = stream;
            most = count;
        }
    }
    return best;
}

bool IsLetter(std::uint8_t byte)
{
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

// An information frame whose Xing or Info block was overwritten still shows
// what it was: no side information at all, and an encoder's name where its
// extension starts after a block of every field.
bool IsBrokenInformationFrame(const MP3StreamStart& start)
{
    const MP3FrameInfo& frame = start.frame;
    const std::vector<std::uint8_t>& bytes = start.firstFrame;
    const std::size_t block = InformationBlockOffset(frame);
    const std::size_t name = block + kFullBlockSize;
    if (!frame.isLayer3 || bytes.size() < name + 4)
        return false;
    const auto side = bytes.begin() + (frame.isProtected ? 6 : 4);
    return std::all_of(side, bytes.begin() + static_cast<std::ptrdiff_t>(block),
                       [](std::uint8_t byte) { return byte == 0; }) &&
           std::all_of(bytes.begin() + static_cast<std::ptrdiff_t>(name),
                       bytes.begin() + static_cast<std::ptrdiff_t>(name + 4), IsLetter);
}

bool IsInformationFrame(CFileWindow& file, const ByteSpan& frame, MP3StreamStart& start)
{
    std::uint32_t word = 0;
    if (!file.WordAt(frame.start, word))
        return false;
    start = MP3StreamStart{};
    start.found = true;
    start.fileSize = file.Size();
    start.offset = frame.start;
    CMP3Check::DecodeHeader(word, start.frame);
    const std::uint8_t* bytes = file.At(frame.start, static_cast<std::size_t>(frame.Length()));
    if (!bytes)
        return false;
    start.firstFrame.assign(bytes, bytes + frame.Length());
    return ReadInformationFrame(start).present || IsBrokenInformationFrame(start);
}

// Takes the information frame off the front of the first chain, or takes a
// single one found before it (junk may follow the information frame).
void TakeInformationFrame(CFileWindow& file, const std::vector<ByteSpan>& loneFrames,
                          MP3Layout& layout)
{
    FrameChain& first = layout.chains.front();
    std::vector<ByteSpan> candidates;
    for (const ByteSpan& lone : loneFrames)
    {
        if (lone.end <= first.span.start)
            candidates.push_back(lone);
    }
    std::uint32_t word = 0;
    MP3FrameInfo header;
    if (!file.WordAt(first.span.start, word) || !CMP3Check::DecodeHeader(word, header))
        return;
    candidates.push_back(
        {first.span.start, first.span.start + static_cast<std::uint64_t>(header.frameLength)});
    MP3StreamStart start;
    for (const ByteSpan& candidate : candidates)
    {
        if (!IsInformationFrame(file, candidate, start))
            continue;
        layout.informationFrame = candidate;
        layout.informationBytes = std::move(start.firstFrame);
        if (first.span.start == candidate.start)
        {
            first.span.start = candidate.end;
            first.bitrates = first.laterBitrates;
            if (--first.frames == 0)
                layout.chains.erase(layout.chains.begin());
        }
        return;
    }
}
} // namespace

std::uint64_t MP3Layout::AudioFrames() const
{
    std::uint64_t frames = 0;
    for (const FrameChain& chain : chains)
        frames += chain.frames;
    return frames;
}

std::uint64_t MP3Layout::AudioBytes() const
{
    std::uint64_t bytes = 0;
    for (const FrameChain& chain : chains)
        bytes += chain.span.Length();
    return bytes;
}

bool MP3Layout::IsVariableBitrate() const
{
    std::uint16_t bitrates = 0;
    for (const FrameChain& chain : chains)
        bitrates |= chain.bitrates;
    return (bitrates & (bitrates - 1)) != 0;
}

std::uint32_t MP3Layout::SamplesPerFrame() const
{
    if (streamHeader.isLayer1)
        return 384;
    if (streamHeader.isLayer3 && !streamHeader.isMpeg1)
        return 576;
    return 1152;
}

std::vector<ByteSpan> MP3Layout::Junk() const
{
    std::vector<ByteSpan> kept;
    if (!informationFrame.Empty())
        kept.push_back(informationFrame);
    for (const FrameChain& chain : chains)
        kept.push_back(chain.span);
    std::sort(kept.begin(), kept.end(),
              [](const ByteSpan& a, const ByteSpan& b) { return a.start < b.start; });
    std::vector<ByteSpan> junk;
    std::uint64_t at = audio.start;
    for (const ByteSpan& span : kept)
    {
        if (span.start > at)
            junk.push_back({at, span.start});
        at = std::max(at, span.end);
    }
    if (audio.end > at)
        junk.push_back({at, audio.end});
    return junk;
}

Status FindMP3Layout(CFileWindow& file, std::uint64_t leadingTagsEnd, MP3Layout& layout)
{
    layout = MP3Layout{};
    layout.fileSize = file.Size();
    leadingTagsEnd = std::min(leadingTagsEnd, layout.fileSize);
    layout.leadingTags = {0, leadingTagsEnd};
    layout.audio = {leadingTagsEnd, TrailingTagsStart(file, leadingTagsEnd)};
    layout.trailingTags = {layout.audio.end, layout.fileSize};

    std::vector<FrameChain> found;
    std::vector<ByteSpan> loneFrames;
    std::uint64_t lost = 0;
    CChainScan scan(file, layout.audio);
    if (!scan.Scan(found, loneFrames, lost))
        return Status::Failure(file.ErrorText().empty() ? "the file changed while it was read"
                                                        : file.ErrorText());
    // Single frames amid junk are mostly chance sync words: they are not
    // counted as audio lost.
    layout.droppedFrames = lost;
    if (found.empty())
        return {};

    const std::uint32_t stream = MainStream(file, found);
    for (const FrameChain& chain : found)
    {
        std::uint32_t word = 0;
        if (file.WordAt(chain.span.start, word) && (word & kStreamBits) == stream)
            layout.chains.push_back(chain);
        else
            layout.droppedFrames += chain.frames;
    }
    TakeInformationFrame(file, loneFrames, layout);
    if (layout.chains.empty())
        return {};
    std::uint32_t word = 0;
    file.WordAt(layout.chains.front().span.start, word);
    CMP3Check::DecodeHeader(word, layout.streamHeader);
    return {};
}

#include "check/MP3Check.h"

#include "check/IProgressSink.h"
#include "io/ByteReader.h"
#include "io/InputFile.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr std::uint32_t kSyncMask = 0xFFE00000u;
constexpr std::uint32_t kId3Magic = 0x494433u; // "ID3"
constexpr std::uint64_t kFirstHeaderEnd = 4;
constexpr std::uint64_t kProgressQuietEvery = 200;

// Asks for the bytes a few frames ahead, so that headers are in the nearest
// cache when the walk gets there.
constexpr std::ptrdiff_t kPrefetchDistance = 2048;

inline void PrefetchAhead(const std::uint8_t* at)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(at);
#else
    (void)at;
#endif
}

bool HasSync(std::uint32_t word)
{
    return (word & kSyncMask) == kSyncMask;
}

// The tag size of an ID3v2 header: four bytes of seven bits each.
std::uint32_t SynchsafeSize(std::uint32_t word)
{
    return (word >> 24 & 0x7Fu) << 21 | (word >> 16 & 0x7Fu) << 14 | (word >> 8 & 0x7Fu) << 7 |
           (word & 0x7Fu);
}

// Percentage of the expected frames counted so far. The estimate comes from
// the first frame's length, so a file whose later frames are shorter would
// pass 100 without the clamp.
int ProgressPercent(std::uint64_t countedFrames, double frameEstimate)
{
    if (!(frameEstimate > 0))
        return 0;
    double percent = static_cast<double>(countedFrames) * 100.0 / frameEstimate;
    return static_cast<int>(std::clamp(percent, 0.0, 100.0));
}
} // namespace

std::string VerdictNote(const MP3CheckResult& result)
{
    if (!result.readable)
        return result.failure;
    if (!result.HasAudio())
        return kNoAudioFound;
    return {};
}

bool CMP3Check::CheckFile(const std::string& path, IProgressSink* progress)
{
    CInputFile file;
    std::string error;
    if (!file.Open(path, error))
    {
        m_Result = MP3CheckResult{};
        m_Result.failure = error;
        return false;
    }
    return CheckSource(file, progress);
}

bool CMP3Check::CheckSource(IByteSource& source, IProgressSink* progress)
{
    m_Result = MP3CheckResult{};
    m_Result.fileSize = source.Size();
    const double fileSize = static_cast<double>(m_Result.fileSize);

    CByteReader in(source);
    static const MP3FrameInfo kBlank{};
    const MP3FrameInfo* frame = &kBlank; // the latest decoded header
    std::uint32_t header = 0;
    bool atFrameBoundary = true; // false: searching byte by byte for a sync word
    std::uint64_t nextFrameStart = 0;
    std::uint64_t& counted = m_Result.countedFrames;
    double frameEstimate = 0;

    for (;;)
    {
        if (atFrameBoundary && counted > 0)
            CountBufferedFrames(in, nextFrameStart, frame, frameEstimate, progress);
        if (atFrameBoundary)
        {
            header = 0;
            in.ReadWord(header); // a short read never carries the sync word
        }
        else
        {
            int byte = in.ReadByte();
            if (byte < 0)
                break;
            header = header << 8 | static_cast<std::uint32_t>(byte);
        }
        const std::uint64_t position = in.Offset();

        if (HasSync(header))
        {
            frame = &m_Headers.Decode(header);
            const std::uint64_t start = position - 4;
            if (!frame->valid)
            {
                CountBadHeader(start, *frame);
            }
            else
            {
                atFrameBoundary = true;
                if (counted > 0 && start != nextFrameStart)
                    CountMisplacedFrame(start, header, nextFrameStart);
                else if (start == nextFrameStart)
                    NoteCountedFrame(start, start + static_cast<std::uint64_t>(frame->frameLength));
                // A protected frame's check word is part of the frame body,
                // so skipping the body covers it.
                nextFrameStart = start + static_cast<std::uint64_t>(frame->frameLength);
                in.Skip(static_cast<std::uint64_t>(std::max(frame->frameLength - 4, 0)));
            }
        }
        else if (position == kFirstHeaderEnd && header >> 8 == kId3Magic)
        {
            // An ID3v2 tag opens the file: its header's last four bytes hold
            // the tag size. The footer, if any, is not looked at.
            for (int i = 0; i < 6; ++i)
            {
                int byte = in.ReadByte();
                if (byte < 0)
                    break;
                header = header << 8 | static_cast<std::uint32_t>(byte);
            }
            const std::uint32_t size = SynchsafeSize(header);
            nextFrameStart = 10 + static_cast<std::uint64_t>(size);
            in.Skip(size);
            atFrameBoundary = true;
        }
        else
        {
            atFrameBoundary = false;
        }

        if (counted == 1)
            frameEstimate = fileSize / static_cast<double>(frame->frameLength);
        else if (progress && counted % kProgressQuietEvery != 0)
            progress->SetProgress(ProgressPercent(counted, frameEstimate));
    }

    if (in.Failed())
    {
        m_Result.failure = source.ErrorText();
        return false;
    }
    m_Result.readable = true;
    return m_Result.IsSound();
}

// The common case, taken many frames at a time: a sound frame exactly where
// the previous one ended, wholly in the reader's buffer. Does for each what a
// step of the walk does for it, with the state kept in registers, and stops at
// the first header that needs the full step.
void CMP3Check::CountBufferedFrames(CByteReader& in, std::uint64_t& nextFrameStart,
                                    const MP3FrameInfo*& frame, double frameEstimate,
                                    IProgressSink* progress)
{
    if (in.Offset() != nextFrameStart)
        return;
    const std::uint8_t* const first = in.Peek();
    const std::uint8_t* const end = first + in.Buffered();
    const std::uint8_t* next = first;
    std::uint64_t counted = m_Result.countedFrames;
    // Consecutive frames mostly repeat the header word. Reusing the last
    // length when it does lets the processor run ahead to the next frame
    // without waiting for this header's bytes.
    std::uint32_t lastWord = 0;
    std::int32_t lastLength = 0;
    while (end - next >= 4)
    {
        if (end - next > kPrefetchDistance)
            PrefetchAhead(next + kPrefetchDistance);
        const std::uint32_t word = static_cast<std::uint32_t>(next[0]) << 24 |
                                   static_cast<std::uint32_t>(next[1]) << 16 |
                                   static_cast<std::uint32_t>(next[2]) << 8 | next[3];
        if (word != lastWord || lastLength == 0)
        {
            if (!HasSync(word))
                break;
            const MP3FrameInfo& decoded = m_Headers.Decode(word);
            if (!decoded.valid)
                break;
            frame = &decoded;
            lastWord = word;
            lastLength = decoded.frameLength;
        }
        if (lastLength > end - next)
            break;
        next += lastLength;
        ++counted;
        if (progress && counted % kProgressQuietEvery != 0)
            progress->SetProgress(ProgressPercent(counted, frameEstimate));
    }
    in.Advance(static_cast<std::size_t>(next - first));
    nextFrameStart += static_cast<std::uint64_t>(next - first);
    if (counted > m_Result.countedFrames)
        m_Result.audioEnd = nextFrameStart;
    m_Result.countedFrames = counted;
}

void CMP3Check::NoteCountedFrame(std::uint64_t start, std::uint64_t end)
{
    if (m_Result.countedFrames++ == 0)
        m_Result.audioStart = start;
    // A last frame cut short ends where the file does.
    m_Result.audioEnd = std::min(end, m_Result.fileSize);
}

void CMP3Check::CountBadHeader(std::uint64_t start, const MP3FrameInfo& frame)
{
    RecordDamage({ClassifyInvalidHeader(frame), start, frame.headerWord, 0});
}

void CMP3Check::CountMisplacedFrame(std::uint64_t start, std::uint32_t headerWord,
                                    std::uint64_t expected)
{
    RecordDamage({MP3DamageKind::MisplacedFrame, start, headerWord, expected});
}

void CMP3Check::RecordDamage(const MP3DamageEvent& event)
{
    ++m_Result.errors;
    if (m_Result.damage.size() < MP3CheckResult::kMaxRecordedDamage)
        m_Result.damage.push_back(event);
}

#include "check/MP3Check.h"

#include "check/IProgressSink.h"
#include "check/MP3Timing.h"
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
    if (result.errors > 0 || result.decode.IsSound())
        return {};
    if (!result.decode.failure.empty())
        return "the decoder cannot read it: " + result.decode.failure;
    const std::uint64_t bad = result.decode.badFrames;
    return std::to_string(bad) + (bad == 1 ? " frame does not decode" : " frames do not decode");
}

bool CMP3Check::CheckFile(const std::string& path, IProgressSink* progress)
{
    CInputFile file;
    if (Status opened = file.Open(path); !opened)
    {
        m_Result = MP3CheckResult{};
        m_Result.failure = opened.Reason();
        return false;
    }
    return CheckSource(file, progress);
}

bool CMP3Check::CheckSource(IByteSource& source, IProgressSink* progress)
{
    m_Result = MP3CheckResult{};
    m_LastFrameEnd = 0;
    m_InStretch = false;
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
                CountBadHeader(start, *frame, nextFrameStart);
            }
            else
            {
                atFrameBoundary = true;
                const bool chained = start == nextFrameStart;
                if (counted > 0 && !chained)
                    CountMisplacedFrame(start, header, nextFrameStart);
                else if (chained)
                    ++counted;
                CountSoundFrame(start, *frame, chained);
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
    FinishWalk();
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
    std::uint64_t lastTicks = 0;
    std::uint64_t ticks = 0;
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
            lastTicks = MP3FrameTicks(decoded);
        }
        if (lastLength > end - next)
            break;
        next += lastLength;
        ticks += lastTicks;
        ++counted;
        if (progress && counted % kProgressQuietEvery != 0)
            progress->SetProgress(ProgressPercent(counted, frameEstimate));
    }
    const auto walked = static_cast<std::uint64_t>(next - first);
    in.Advance(static_cast<std::size_t>(walked));
    nextFrameStart += walked;
    m_Result.soundFrames += counted - m_Result.countedFrames;
    m_Result.soundTicks += ticks;
    m_Result.cleanTicks += ticks;
    m_Result.soundBytes += walked;
    if (walked > 0)
        m_LastFrameEnd = nextFrameStart;
    m_Result.countedFrames = counted;
}

void CMP3Check::CountBadHeader(std::uint64_t start, const MP3FrameInfo& frame,
                               std::uint64_t audioDue)
{
    RecordDamage({ClassifyInvalidHeader(frame), start, frame.headerWord, 0, 0}, audioDue);
}

void CMP3Check::CountMisplacedFrame(std::uint64_t start, std::uint32_t headerWord,
                                    std::uint64_t expected)
{
    RecordDamage({MP3DamageKind::MisplacedFrame, start, headerWord, expected, 0}, expected);
}

void CMP3Check::CountSoundFrame(std::uint64_t start, const MP3FrameInfo& frame, bool chained)
{
    EndStretch(start);
    const std::uint64_t ticks = MP3FrameTicks(frame);
    if (m_Result.soundFrames == 0)
        m_Result.audioStart = start;
    ++m_Result.soundFrames;
    m_Result.soundTicks += ticks;
    m_Result.soundBytes += static_cast<std::uint64_t>(frame.frameLength);
    if (chained)
        m_Result.cleanTicks += ticks;
    m_LastFrameEnd = start + static_cast<std::uint64_t>(frame.frameLength);
}

void CMP3Check::EndStretch(std::uint64_t end)
{
    if (!m_InStretch)
        return;
    m_InStretch = false;
    ++m_Result.damagedStretches;
    m_Result.damagedBytes += end > m_StretchStart ? end - m_StretchStart : 0;
}

void CMP3Check::FinishWalk()
{
    EndStretch(m_Result.fileSize);
    if (m_Result.soundFrames > 0 && m_LastFrameEnd > m_Result.fileSize)
        m_Result.truncatedBytes = m_LastFrameEnd - m_Result.fileSize;
    // A last frame cut short ends where the file does.
    m_Result.audioEnd = std::min(m_LastFrameEnd, m_Result.fileSize);
}

// A stretch of damage starts where the audio was due to go on, so that it
// covers the bytes lost before the first damage the walk could see.
void CMP3Check::RecordDamage(MP3DamageEvent event, std::uint64_t audioDue)
{
    event.ticks = m_Result.soundTicks;
    if (!m_InStretch)
    {
        m_InStretch = true;
        m_StretchStart = std::min(audioDue, event.offset);
    }
    ++m_Result.errors;
    if (m_Result.damage.size() < MP3CheckResult::kMaxRecordedDamage)
        m_Result.damage.push_back(event);
}

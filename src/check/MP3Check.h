#pragma once

#include "check/MP3Damage.h"
#include "check/MP3DecodeFaults.h"
#include "check/MP3FrameInfo.h"
#include "check/MP3HeaderCache.h"

#include <cstdint>
#include <string>
#include <vector>

class CByteReader;
class IByteSource;
class IProgressSink;

// Everything one check found out about a file beyond its verdict.
struct MP3CheckResult
{
    // Only the first events are kept; `errors` counts them all.
    static constexpr std::size_t kMaxRecordedDamage = 1000;

    bool readable = false; // opened and read to its end without a read error
    std::string failure;   // why not, in plain words, when not readable
    std::uint64_t fileSize = 0;
    std::uint64_t countedFrames = 0; // frames found exactly where expected
    std::uint64_t errors = 0;
    std::vector<MP3DamageEvent> damage;

    // Where and how much: every sound frame the walk went through, chained
    // or not, with its playing time (MP3Timing.h) and bytes; the time of the
    // counted frames alone; the stretches between the end of good audio and
    // the next sound frame (or the end of the file) that hold damage; and how
    // many bytes of the last frame lie past the end of the file.
    std::uint64_t soundFrames = 0;
    std::uint64_t soundTicks = 0;
    std::uint64_t soundBytes = 0;
    std::uint64_t cleanTicks = 0;
    std::uint64_t damagedStretches = 0;
    std::uint64_t damagedBytes = 0;
    std::uint64_t truncatedBytes = 0;
    // The audio's bytes: from the first sound frame to the end of the last,
    // so tags before and after lie outside.
    std::uint64_t audioStart = 0;
    std::uint64_t audioEnd = 0;

    // Filled by the deep check when one was asked for (MP3DecodeCheck.h).
    MP3DecodeResult decode;

    // A file in which no frame chains on from another holds no audio to
    // play, however clean its bytes; calling it sound would hide empty or
    // mislabelled downloads among the good files.
    bool HasAudio() const { return countedFrames > 0; }
    bool IsSound() const { return readable && errors == 0 && HasAudio() && decode.IsSound(); }
};

inline constexpr const char* kNoAudioFound = "no MPEG audio found";

// Why a file is not sound when no damage event of the walk says it: why it
// could not be read, that it holds no audio, or what the deep check found.
// Empty otherwise.
std::string VerdictNote(const MP3CheckResult& result);

// Walks an MP3 file frame by frame and decides whether it is sound: no header
// that carries the sync word but is unusable, and no sound header away from
// where the previous frame ended. One object serves one check.
class CMP3Check
{
public:
    virtual ~CMP3Check() = default;

    // Returns true when the file is sound. A file that cannot be opened or
    // read to its end is not sound, and neither is one without a frame;
    // VerdictNote(GetResult()) says why.
    // `progress` may be null; it is given the percentage of the file walked.
    bool CheckFile(const std::string& path, IProgressSink* progress);

    // The same walk over any byte source.
    bool CheckSource(IByteSource& source, IProgressSink* progress);

    const MP3CheckResult& GetResult() const { return m_Result; }
    MP3CheckResult TakeResult() { return std::move(m_Result); }

    // Fills the blank record `frame` from the four header bytes in file order
    // (first byte in bits 31-24). Returns frame.valid: 1 usable, 0 not.
    static int DecodeHeader(std::uint32_t headerWord, MP3FrameInfo& frame);

    // True when `pattern` equals the characters of the 32-character
    // `bitText` that start at bit position `position` (31 = first character).
    static bool MatchBits(const char* bitText, const char* pattern, int position);

private:
    void CountBufferedFrames(CByteReader& in, std::uint64_t& nextFrameStart,
                             const MP3FrameInfo*& frame, double frameEstimate,
                             IProgressSink* progress);
    void CountBadHeader(std::uint64_t start, const MP3FrameInfo& frame, std::uint64_t audioDue);
    void CountMisplacedFrame(std::uint64_t start, std::uint32_t headerWord, std::uint64_t expected);
    void RecordDamage(MP3DamageEvent event, std::uint64_t audioDue);
    void CountSoundFrame(std::uint64_t start, const MP3FrameInfo& frame, bool chained);
    void EndStretch(std::uint64_t end);
    void FinishWalk();

    CMP3HeaderCache m_Headers;
    MP3CheckResult m_Result;
    std::uint64_t m_LastFrameEnd = 0;
    bool m_InStretch = false; // damage seen since the last sound frame
    std::uint64_t m_StretchStart = 0;
};

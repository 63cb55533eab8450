#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct MP3FrameInfo;

// What made the walk count an error at one place in a file.
enum class MP3DamageKind
{
    ReservedVersion,   // version bits 01
    ReservedLayer,     // layer bits 00
    FreeFormatBitrate, // bitrate index 0
    BadBitrateIndex,   // bitrate index 15
    ReservedSampleRate,
    BitrateModeMismatch, // MPEG-1 Layer II bitrate not allowed in this channel mode
    MisplacedFrame,      // a sound header where the previous frame did not end
};

struct MP3DamageEvent
{
    MP3DamageKind kind = MP3DamageKind::MisplacedFrame;
    std::uint64_t offset = 0;         // where the header starts
    std::uint32_t headerWord = 0;     // the four bytes found there
    std::uint64_t expectedOffset = 0; // MisplacedFrame only: where the frame was due
    std::uint64_t ticks = 0;          // playing time of the sound frames before it (MP3Timing.h)
};

// The field that makes an invalid header unusable, first match in header order.
MP3DamageKind ClassifyInvalidHeader(const MP3FrameInfo& frame);

// One line for people, e.g.
// "0:00.104, byte 4171: unusable header FF FF 90 64, bitrate index 15 is not allowed".
std::string DescribeDamage(const MP3DamageEvent& event);

struct MP3CheckResult;

// How much of a file's audio the damage touches. The damaged stretches hold
// no readable frames, so their playing time is estimated from their size at
// the byte rate of the frames around them; the total is the frames' time plus
// that estimate.
struct MP3DamageSummary
{
    std::uint64_t cleanTicks = 0; // the frames that chain on from the one before
    std::uint64_t totalTicks = 0;
    double cleanPercent = 0; // 0 to 100; 0 when there is no audio at all
    std::uint64_t stretches = 0;
    std::uint64_t damagedBytes = 0;
    bool truncated = false; // the last frame runs past the end of the file
    std::uint64_t truncatedBytes = 0;
};

MP3DamageSummary SummariseDamage(const MP3CheckResult& result);

// The intact share with one decimal, e.g. "97.9"; "100.0" only when whole.
std::string FormatCleanPercent(const MP3DamageSummary& summary);

// e.g. "intact 3:01.120 of 3:05.000 (97.9 %); 2 damaged stretches, 4100 bytes;
// the end is cut off (312 bytes of the last frame missing)".
std::string DescribeSummary(const MP3DamageSummary& summary);

// The lines that say where and how much a file is damaged, for people: the
// summary, then the first `shown` events of the walk and a count of the rest,
// then the same for the deep check. Empty for a sound file and for one that
// could not be read (its reason is told apart).
std::vector<std::string> DescribeCheckDetails(const MP3CheckResult& result, std::size_t shown);

#pragma once

#include <cstdint>
#include <string>

struct MP3FrameInfo;

// Playing time in ticks of 1/14,112,000 s: every MPEG sampling rate divides
// it, so the length of any frame is a whole number of ticks and long files
// add up without rounding.
inline constexpr std::uint64_t kMP3TicksPerSecond = 14'112'000;

// Samples per channel one frame of this header holds.
int MP3SamplesPerFrame(const MP3FrameInfo& frame);

// The playing time of one frame of this header; 0 for an unusable header.
std::uint64_t MP3FrameTicks(const MP3FrameInfo& frame);

// Ticks for `samples` at `sampleRate` Hz (a rate MPEG audio uses).
std::uint64_t MP3SampleTicks(std::uint64_t samples, long sampleRate);

// "m:ss.mmm", to the nearest millisecond; minutes are not wrapped into hours.
std::string FormatMP3Time(std::uint64_t ticks);

// Whole milliseconds, to the nearest.
std::uint64_t MP3TicksToMilliseconds(std::uint64_t ticks);

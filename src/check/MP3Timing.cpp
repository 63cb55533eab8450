#include "check/MP3Timing.h"

#include "check/MP3FrameInfo.h"

#include <cstdio>

int MP3SamplesPerFrame(const MP3FrameInfo& frame)
{
    if (frame.isLayer1)
        return 384;
    if (frame.isLayer3 && !frame.isMpeg1)
        return 576;
    return 1152;
}

std::uint64_t MP3FrameTicks(const MP3FrameInfo& frame)
{
    if (!frame.valid || frame.sampleRate <= 0)
        return 0;
    return MP3SampleTicks(static_cast<std::uint64_t>(MP3SamplesPerFrame(frame)), frame.sampleRate);
}

std::uint64_t MP3SampleTicks(std::uint64_t samples, long sampleRate)
{
    if (sampleRate <= 0)
        return 0;
    return samples * (kMP3TicksPerSecond / static_cast<std::uint64_t>(sampleRate));
}

std::uint64_t MP3TicksToMilliseconds(std::uint64_t ticks)
{
    constexpr std::uint64_t kTicksPerMillisecond = kMP3TicksPerSecond / 1000;
    return (ticks + kTicksPerMillisecond / 2) / kTicksPerMillisecond;
}

std::string FormatMP3Time(std::uint64_t ticks)
{
    const std::uint64_t ms = MP3TicksToMilliseconds(ticks);
    char text[40];
    std::snprintf(text, sizeof text, "%llu:%02u.%03u", static_cast<unsigned long long>(ms / 60000),
                  static_cast<unsigned>(ms / 1000 % 60), static_cast<unsigned>(ms % 1000));
    return text;
}

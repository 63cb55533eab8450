#include "check/MP3Damage.h"

#include "check/MP3Check.h"
#include "check/MP3Timing.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

MP3DamageKind ClassifyInvalidHeader(const MP3FrameInfo& frame)
{
    if (frame.isVersionReserved)
        return MP3DamageKind::ReservedVersion;
    if (frame.isLayerReserved)
        return MP3DamageKind::ReservedLayer;
    if (frame.bitrate == 1)
        return MP3DamageKind::FreeFormatBitrate;
    if (frame.bitrate == 0)
        return MP3DamageKind::BadBitrateIndex;
    if (frame.sampleRate == 0)
        return MP3DamageKind::ReservedSampleRate;
    return MP3DamageKind::BitrateModeMismatch;
}

namespace
{
std::string HeaderBytes(std::uint32_t word)
{
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X %02X", word >> 24, word >> 16 & 0xFFu,
                  word >> 8 & 0xFFu, word & 0xFFu);
    return text;
}

std::string BadHeaderReason(const MP3DamageEvent& event)
{
    switch (event.kind)
    {
    case MP3DamageKind::ReservedVersion:
        return "the MPEG version is the reserved value";
    case MP3DamageKind::ReservedLayer:
        return "the layer is the reserved value";
    case MP3DamageKind::FreeFormatBitrate:
        return "free-format bitrate (index 0) is not supported";
    case MP3DamageKind::BadBitrateIndex:
        return "bitrate index 15 is not allowed";
    case MP3DamageKind::ReservedSampleRate:
        return "sampling-rate index 3 is reserved";
    case MP3DamageKind::BitrateModeMismatch:
    {
        MP3FrameInfo frame;
        CMP3Check::DecodeHeader(event.headerWord, frame);
        return "MPEG-1 Layer II at " + std::to_string(frame.bitrate) +
               " kbit/s is not allowed in " + (frame.isSingleChannel ? "mono" : "stereo");
    }
    case MP3DamageKind::MisplacedFrame:
        break;
    }
    return {};
}
} // namespace

std::string DescribeDamage(const MP3DamageEvent& event)
{
    std::string text = FormatMP3Time(event.ticks) + ", byte " + std::to_string(event.offset) + ": ";
    if (event.kind == MP3DamageKind::MisplacedFrame)
        return text + "frame starts here, but the previous frame ended at byte " +
               std::to_string(event.expectedOffset);
    return text + "unusable header " + HeaderBytes(event.headerWord) + ", " +
           BadHeaderReason(event);
}

std::string FormatCleanPercent(const MP3DamageSummary& summary)
{
    char text[16];
    // Never rounded up to a whole 100 while anything is missing.
    std::snprintf(text, sizeof text, "%.1f", std::floor(summary.cleanPercent * 10) / 10);
    return text;
}

MP3DamageSummary SummariseDamage(const MP3CheckResult& result)
{
    MP3DamageSummary summary;
    summary.cleanTicks = result.cleanTicks;
    summary.stretches = result.damagedStretches;
    summary.damagedBytes = result.damagedBytes;
    summary.truncated = result.truncatedBytes > 0;
    summary.truncatedBytes = result.truncatedBytes;
    double lostTicks = 0;
    if (result.soundBytes > 0)
        lostTicks = static_cast<double>(result.damagedBytes) *
                    static_cast<double>(result.soundTicks) / static_cast<double>(result.soundBytes);
    summary.totalTicks = result.soundTicks + static_cast<std::uint64_t>(lostTicks + 0.5);
    if (summary.totalTicks > 0)
        summary.cleanPercent = 100.0 * static_cast<double>(summary.cleanTicks) /
                               static_cast<double>(summary.totalTicks);
    return summary;
}

std::string DescribeSummary(const MP3DamageSummary& summary)
{
    std::string text =
        "intact " + FormatMP3Time(summary.cleanTicks) + " of " + FormatMP3Time(summary.totalTicks) +
        " (" + FormatCleanPercent(summary) + " %); " + std::to_string(summary.stretches) +
        (summary.stretches == 1 ? " damaged stretch, " : " damaged stretches, ") +
        std::to_string(summary.damagedBytes) + (summary.damagedBytes == 1 ? " byte" : " bytes");
    if (summary.truncated)
        text += "; the end is cut off (" + std::to_string(summary.truncatedBytes) +
                " bytes of the last frame missing)";
    return text;
}

std::string DescribeDecodeFault(const MP3DecodeFault& fault)
{
    std::string text = FormatMP3Time(fault.ticks) + ", byte " + std::to_string(fault.offset) + ": ";
    switch (fault.kind)
    {
    case MP3DecodeFaultKind::Concealed:
        return text + "the decoder could not use the frame's data and put silence in its place";
    case MP3DecodeFaultKind::Rejected:
        return text + "the decoder refused the frame";
    case MP3DecodeFaultKind::Skipped:
        return text + "the decoder skipped " + std::to_string(fault.bytes) +
               " bytes it could not take for a frame";
    case MP3DecodeFaultKind::BigValues:
        return text + "the frame declares more coded values than a granule holds";
    case MP3DecodeFaultKind::BlockType:
        return text + "the frame switches windows but names the normal block type";
    case MP3DecodeFaultKind::DataBeyondFrame:
        return text + "the frame's coded data runs past its end";
    }
    return text;
}

namespace
{
std::string More(std::uint64_t all, std::size_t shown, const char* what)
{
    return "... and " + std::to_string(all - shown) + " more (" + std::to_string(all) + " " + what +
           " in all)";
}
} // namespace

std::vector<std::string> DescribeCheckDetails(const MP3CheckResult& result, std::size_t shown)
{
    std::vector<std::string> lines;
    if (!result.readable || result.IsSound())
        return lines;
    if (!result.HasAudio())
        lines.emplace_back(kNoAudioFound);
    else if (result.errors > 0)
        lines.push_back(DescribeSummary(SummariseDamage(result)));
    const std::size_t events = std::min(result.damage.size(), shown);
    for (std::size_t i = 0; i < events; ++i)
        lines.push_back(DescribeDamage(result.damage[i]));
    if (result.errors > events)
        lines.push_back(More(result.errors, events, "errors"));

    const MP3DecodeResult& decode = result.decode;
    if (!decode.failure.empty())
        lines.push_back("the decoder cannot read it: " + decode.failure);
    if (decode.badFrames == 0)
        return lines;
    lines.push_back("decoding: " + std::to_string(decode.badFrames) + " of " +
                    std::to_string(decode.frames) + " frames unusable");
    const std::size_t faults = std::min(decode.faults.size(), shown);
    for (std::size_t i = 0; i < faults; ++i)
        lines.push_back(DescribeDecodeFault(decode.faults[i]));
    if (decode.badFrames > faults)
        lines.push_back(More(decode.badFrames, faults, "unusable frames"));
    return lines;
}

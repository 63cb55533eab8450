#include "check/MP3Damage.h"

#include "check/MP3Check.h"

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
    std::string text = "byte " + std::to_string(event.offset) + ": ";
    if (event.kind == MP3DamageKind::MisplacedFrame)
        return text + "frame starts here, but the previous frame ended at byte " +
               std::to_string(event.expectedOffset);
    return text + "unusable header " + HeaderBytes(event.headerWord) + ", " +
           BadHeaderReason(event);
}

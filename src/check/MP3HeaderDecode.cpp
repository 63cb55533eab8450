// Decoding of one MPEG audio frame header. Fields are recognised by comparing
// the header's bit text with short patterns; the bitrate and sampling-rate
// indexes are table lookups.

#include "check/MP3Check.h"
#include "check/MP3HeaderCache.h"

#include <cstring>

namespace
{
const char kSync[] = "11111111111";
const char k11[] = "11";
const char k10[] = "10";
const char k01[] = "01";
const char k00[] = "00";
const char k1[] = "1";
const char k0[] = "0";

// kbit/s by bitrate index. Index 0 holds 1, the free-format marker.
const std::int32_t kBitrates[6][16] = {
    {1, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0}, // MPEG-1 Layer I
    {1, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},    // MPEG-1 Layer II
    {1, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},     // MPEG-1 Layer III
    {1, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},    // MPEG-2/2.5 Layer I
    {1, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},         // MPEG-2/2.5 II, III
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},                          // anything else
};

// Hz by sampling-rate index (rows) and version: MPEG-1, MPEG-2, MPEG 2.5.
const std::int32_t kSampleRates[4][3] = {
    {44100, 22050, 11025},
    {48000, 24000, 12000},
    {32000, 16000, 8000},
    {0, 0, 0},
};

int BitrateRow(const MP3FrameInfo& f)
{
    bool anyLayer = f.isLayer1 || f.isLayer2 || f.isLayer3;
    if (f.isMpeg1 && anyLayer)
        return f.isLayer1 ? 0 : f.isLayer2 ? 1 : 2;
    if ((f.isMpeg2 || f.isMpeg25) && anyLayer)
        return f.isLayer1 ? 3 : 4;
    return 5;
}

std::int32_t SampleRate(const MP3FrameInfo& f, std::uint32_t index)
{
    if (f.isMpeg1)
        return kSampleRates[index][0];
    if (f.isMpeg2)
        return kSampleRates[index][1];
    if (f.isMpeg25)
        return kSampleRates[index][2];
    return 0;
}

std::int32_t FrameLength(const MP3FrameInfo& f)
{
    if (f.sampleRate < 1)
        return 0;
    const std::int32_t padding = f.isPadded ? 1 : 0;
    if (f.isLayerReserved || f.isVersionReserved)
        return 0;
    if (f.isLayer1)
        return (12000 * f.bitrate / f.sampleRate + padding) * 4;
    if (f.isLayer2 || (f.isLayer3 && f.isMpeg1))
        return 144000 * f.bitrate / f.sampleRate + padding;
    return 72000 * f.bitrate / f.sampleRate + padding; // MPEG-2 or 2.5 Layer III
}

bool IsForbiddenLayer2Pair(const MP3FrameInfo& f)
{
    if (!f.isMpeg1 || !f.isLayer2)
        return false;
    switch (f.bitrate)
    {
    case 32:
    case 48:
    case 56:
    case 80:
        return !f.isSingleChannel;
    case 224:
    case 256:
    case 320:
    case 384:
        return f.isSingleChannel;
    default:
        return false;
    }
}

bool IsUsable(const MP3FrameInfo& f)
{
    return !f.isLayerReserved && f.bitrate > 1 && f.sampleRate != 0 && !IsForbiddenLayer2Pair(f);
}

void RenderBits(std::uint32_t word, char* text)
{
    std::memset(text, '0', 32);
    for (int bit = 0; bit < 32; ++bit)
        if (word >> bit & 1u)
            text[31 - bit] = '1';
    text[32] = '\0';
}

// Sets one of four flags from the two characters at `position`, tested in the
// order 00, 01, 10, 11.
void MatchTwoBits(const char* bits, int position, std::int16_t& on00, std::int16_t& on01,
                  std::int16_t& on10, std::int16_t& on11)
{
    if (CMP3Check::MatchBits(bits, k00, position))
        on00 = 1;
    else if (CMP3Check::MatchBits(bits, k01, position))
        on01 = 1;
    else if (CMP3Check::MatchBits(bits, k10, position))
        on10 = 1;
    else if (CMP3Check::MatchBits(bits, k11, position))
        on11 = 1;
}
} // namespace

bool CMP3Check::MatchBits(const char* bitText, const char* pattern, int position)
{
    const std::size_t length = std::strlen(pattern);
    if (length == 0)
        return true;
    const int start = 31 - position;
    if (start < 0 || static_cast<std::size_t>(start) + length > 32)
        return false;
    return std::memcmp(bitText + start, pattern, length) == 0;
}

int CMP3Check::DecodeHeader(std::uint32_t headerWord, MP3FrameInfo& frame)
{
    frame.valid = 0;
    RenderBits(headerWord, frame.bitText);
    frame.headerWord = headerWord;
    const char* bits = frame.bitText;
    if (!MatchBits(bits, kSync, 31))
        return 0;

    frame.valid = 1;
    MatchTwoBits(bits, 20, frame.isMpeg25, frame.isVersionReserved, frame.isMpeg2, frame.isMpeg1);
    MatchTwoBits(bits, 18, frame.isLayerReserved, frame.isLayer3, frame.isLayer2, frame.isLayer1);
    if (MatchBits(bits, k0, 16))
        frame.isProtected = 1;

    frame.bitrate = kBitrates[BitrateRow(frame)][headerWord >> 12 & 15u];
    frame.sampleRate = SampleRate(frame, headerWord >> 10 & 3u);

    if (MatchBits(bits, k1, 9))
        frame.isPadded = 1;
    if (MatchBits(bits, k1, 8))
        frame.isPrivate = 1;

    std::int16_t jointStereo = 0;
    MatchTwoBits(bits, 7, frame.isStereo, jointStereo, frame.isDualChannel, frame.isSingleChannel);
    frame.isJointStereo = frame.hasModeExtension = jointStereo;

    if (MatchBits(bits, k1, 3))
        frame.isCopyright = 1;
    if (MatchBits(bits, k1, 2))
        frame.isOriginal = 1;
    MatchTwoBits(bits, 1, frame.emphasisNone, frame.emphasis5015, frame.emphasisReserved,
                 frame.emphasisCCITT);

    frame.frameLength = FrameLength(frame);
    if (!IsUsable(frame))
        frame.valid = 0;
    return frame.valid;
}

const MP3FrameInfo& CMP3HeaderCache::Fill(Slot& slot, std::uint32_t headerWord)
{
    slot.frame = MP3FrameInfo{};
    CMP3Check::DecodeHeader(headerWord, slot.frame);
    slot.filled = true;
    return slot.frame;
}

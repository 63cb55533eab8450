#pragma once

#include <cstdint>

// Every field of one decoded MPEG audio frame header. Flags are 1 or 0.
// A default-constructed record is blank: all zero, bit text all '0'.
struct MP3FrameInfo
{
    std::int32_t frameLength = 0; // whole frame in bytes, header included; 0 if not computed
    std::int32_t bitrate = 0;     // kbit/s; 1 marks free format, 0 a forbidden index
    std::int32_t sampleRate = 0;  // Hz; 0 for a reserved index or version

    std::int16_t isMpeg1 = 0;
    std::int16_t isMpeg2 = 0;
    std::int16_t isMpeg25 = 0;
    std::int16_t isVersionReserved = 0;

    std::int16_t isLayer1 = 0;
    std::int16_t isLayer2 = 0;
    std::int16_t isLayer3 = 0;
    std::int16_t isLayerReserved = 0;

    std::int16_t isProtected = 0; // a 16-bit check word follows the header
    std::int16_t isPadded = 0;
    std::int16_t isPrivate = 0;

    std::int16_t isStereo = 0;
    std::int16_t isJointStereo = 0;
    std::int16_t isDualChannel = 0;
    std::int16_t isSingleChannel = 0;
    std::int16_t hasModeExtension = 0;

    std::int16_t isCopyright = 0;
    std::int16_t isOriginal = 0;

    std::int16_t emphasisNone = 0;
    std::int16_t emphasis5015 = 0;
    std::int16_t emphasisReserved = 0;
    std::int16_t emphasisCCITT = 0;

    // Bit 31 of the header word first; NUL-terminated.
    char bitText[33] = "00000000000000000000000000000000";
    std::uint32_t headerWord = 0;
    std::int16_t valid = 0;
};

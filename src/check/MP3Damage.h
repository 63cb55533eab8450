#pragma once

#include <cstdint>
#include <string>

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
};

// The field that makes an invalid header unusable, first match in header order.
MP3DamageKind ClassifyInvalidHeader(const MP3FrameInfo& frame);

// One line for people, e.g. "byte 4171: header FF FF 90 64, bitrate index 15 is not allowed".
std::string DescribeDamage(const MP3DamageEvent& event);

#pragma once

#include "check/MP3DecodeFaults.h"

#include <cstddef>
#include <cstdint>

struct MP3FrameInfo;

// What the side information of one Layer III frame says about its coded
// data, read before the frame is decoded.
struct MP3SideInfo
{
    bool read = false; // the body was long enough to hold the side information
    bool faulty = false;
    MP3DecodeFaultKind fault = MP3DecodeFaultKind::BigValues; // when faulty: the first found
    int granules = 0;                                         // 2 for MPEG-1, 1 otherwise
    bool codesValues[2] = {}; // per granule: some channel codes spectral values
};

// Reads the side information at the start of a Layer III frame's `body` (the
// bytes after the four header bytes, check word included) and tells the
// values no encoder can write. Other layers have none: `read` stays false.
MP3SideInfo ReadMP3SideInfo(const MP3FrameInfo& header, const std::uint8_t* body, std::size_t size);

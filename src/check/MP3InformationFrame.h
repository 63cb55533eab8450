#pragma once

#include <cstddef>
#include <cstdint>

struct MP3FrameInfo;
struct MP3StreamStart;

// What an information frame (Xing, Info or VBRI) at the start of an MPEG
// audio stream declares about the frames after it.
struct MP3InformationFrame
{
    bool present = false;
    bool hasFrames = false;
    bool hasBytes = false;
    std::uint32_t frames = 0; // audio frames in the stream
    std::uint32_t bytes = 0;  // bytes in the stream
};

// Reads the information frame, if any, of the stream's first frame.
MP3InformationFrame ReadInformationFrame(const MP3StreamStart& start);

// Whether the counts declared would need more bytes than the file has after
// the information frame, even with every frame as short as the stream's
// format allows: a truncated file, or a count that was never true.
bool DeclaresMoreThanTheFileHolds(const MP3InformationFrame& info, const MP3StreamStart& start);

// Where a Xing or Info block starts in a Layer III frame of this header:
// after the header, the check word of a protected frame and the side
// information.
std::size_t InformationBlockOffset(const MP3FrameInfo& frame);

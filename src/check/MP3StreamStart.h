#pragma once

#include "check/MP3FrameInfo.h"
#include "io/Status.h"

#include <cstdint>
#include <string>
#include <vector>

class IByteSource;

// Where the MPEG audio of a file begins: the first frame whose header is
// usable and which is followed by another frame of the same stream (or by
// the end of the file, or an ID3v1 tag). Only the first kSearchWindow bytes
// after the leading ID3v2 tags are searched, so a file that is not audio is
// recognised quickly whatever its size.
struct MP3StreamStart
{
    static constexpr std::size_t kSearchWindow = 1 << 20;

    std::uint64_t fileSize = 0; // as the source gave it
    std::uint64_t tagsEnd = 0;  // where the leading ID3v2 tags end; 0 without any
    bool found = false;
    std::uint64_t offset = 0;             // of the first frame, from the start of the file
    MP3FrameInfo frame;                   // its header
    std::vector<std::uint8_t> firstFrame; // its bytes, as many as the file has
};

// Reads the headers of a few leading ID3v2 tags and at most kSearchWindow
// bytes and a frame more. Fails only on a read error; a source without audio
// succeeds with start.found false.
Status FindMP3StreamStart(IByteSource& source, MP3StreamStart& start);

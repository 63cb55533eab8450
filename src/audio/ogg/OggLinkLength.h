#pragma once

#include "io/DiskFile.h"

#include <cstdint>
#include <vorbis/codec.h>

// One link of a (possibly chained) Ogg Vorbis file as the file layer found it.
struct OggLinkExtent
{
    std::uint64_t begin = 0; // its first page
    std::uint64_t audio = 0; // the first page after its headers
    std::uint64_t end = 0;   // one past its last page
    int serial = 0;
    std::int64_t startGranule = 0; // granule position its frame count starts from
    std::int64_t declared = 0;     // frames its last granule position claims
};

// Sample frames the link really yields. Its last granule position is taken
// when a cheap test finds it within what the link's size and its last two
// granule-bearing pages can hold; otherwise (a damaged or forged position)
// the audio packets are counted from their block sizes, without decoding.
// `info` is the link's full header set. The file's read position is restored
// afterwards. Returns -1 when the file cannot be read.
std::int64_t CheckedLinkFrames(CDiskFile& file, vorbis_info& info, const OggLinkExtent& link);

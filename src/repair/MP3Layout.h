#pragma once

#include "check/MP3FrameInfo.h"
#include "io/Status.h"

#include <cstdint>
#include <string>
#include <vector>

class CFileWindow;

// A stretch of a file, [start, end).
struct ByteSpan
{
    std::uint64_t start = 0;
    std::uint64_t end = 0;

    std::uint64_t Length() const { return end - start; }
    bool Empty() const { return end == start; }
};

// Frames one after the other, each starting where the one before ended.
struct FrameChain
{
    ByteSpan span;
    std::uint64_t frames = 0;
    std::uint16_t bitrates = 0;      // bit n set: some frame has bitrate index n
    std::uint16_t laterBitrates = 0; // the same for all frames but the first
};

// What a file holds, in the terms a repair keeps or drops: the tags around
// the audio, the chains of frames of its stream, and what lies between.
struct MP3Layout
{
    std::uint64_t fileSize = 0;
    ByteSpan leadingTags;  // the ID3v2 tags that open the file and fit in it
    ByteSpan trailingTags; // an APE tag and an ID3v1 tag, each if there
    ByteSpan audio;        // from the end of the one to the start of the other

    // The chains of the stream with the most frames, in file order; a
    // leading information frame is not part of them.
    std::vector<FrameChain> chains;
    MP3FrameInfo streamHeader; // the header of the first audio frame kept

    // The Xing, Info or VBRI frame that opened the stream, if any.
    ByteSpan informationFrame;
    std::vector<std::uint8_t> informationBytes;

    // Frames of the file that are not kept: the last of a chain that runs
    // into junk, one cut short by the end, the chains of another stream.
    std::uint64_t droppedFrames = 0;

    std::uint64_t AudioFrames() const;
    std::uint64_t AudioBytes() const;
    // Whether the frames kept do not all share one bitrate.
    bool IsVariableBitrate() const;
    std::uint32_t SamplesPerFrame() const;
    // The stretches of the audio span that are neither kept frames nor the
    // information frame.
    std::vector<ByteSpan> Junk() const;
};

// Finds the layout of the file read through `file`. Fails on a read error;
// a file without audio gives a layout without chains.
Status FindMP3Layout(CFileWindow& file, std::uint64_t leadingTagsEnd, MP3Layout& layout);

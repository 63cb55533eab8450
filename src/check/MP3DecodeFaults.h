#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the deep check found wrong inside the frames when it decoded them.
enum class MP3DecodeFaultKind
{
    Concealed,       // the decoder gave up on the frame's data and put silence in its place
    Rejected,        // the decoder refused the frame
    Skipped,         // the decoder passed over bytes between two frames
    BigValues,       // side information: more than 288 coded values in a granule
    BlockType,       // side information: window switching with the normal block type
    DataBeyondFrame, // side information: more coded bits than the frame and its reservoir hold
};

struct MP3DecodeFault
{
    MP3DecodeFaultKind kind = MP3DecodeFaultKind::Concealed;
    std::uint64_t offset = 0; // where the frame, or the skipped bytes, start
    std::uint64_t ticks = 0;  // playing time decoded before it (MP3Timing.h)
    std::uint64_t bytes = 0;  // Skipped only: how many
};

// The outcome of decoding a whole file after the walk. A frame counts once
// however many faults it has; a skipped stretch counts as one.
struct MP3DecodeResult
{
    static constexpr std::size_t kMaxRecordedFaults = 1000;

    bool done = false;   // the deep check ran on the file
    std::string failure; // why it could not decode the file at all; empty otherwise
    std::uint64_t frames = 0;
    std::uint64_t badFrames = 0;
    std::vector<MP3DecodeFault> faults; // the first kMaxRecordedFaults

    bool IsSound() const { return !done || (failure.empty() && badFrames == 0); }
};

// One line for people, e.g. "0:07.314, byte 120877: the decoder could not use
// the frame's data and put silence in its place".
std::string DescribeDecodeFault(const MP3DecodeFault& fault);

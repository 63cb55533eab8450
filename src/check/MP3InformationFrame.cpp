#include "check/MP3InformationFrame.h"

#include "check/MP3Check.h"
#include "check/MP3StreamStart.h"

#include <cstring>
#include <vector>

namespace
{
// The VBRI block sits after 32 bytes of side information whatever the format.
constexpr std::size_t kVbriOffset = 4 + 32;
constexpr std::uint32_t kFramesFlag = 0x1;
constexpr std::uint32_t kBytesFlag = 0x2;
// Bits 15-12 of a header: the bitrate index; 1 is the lowest bitrate.
constexpr std::uint32_t kBitrateBits = 0xF000u;
constexpr std::uint32_t kLowestBitrate = 0x1000u;
constexpr std::uint32_t kPaddingBit = 0x200u;

// Reads a big-endian word at `at` if the frame holds it.
bool WordAt(const std::vector<std::uint8_t>& bytes, std::size_t at, std::uint32_t& word)
{
    if (at > bytes.size() || bytes.size() - at < 4)
        return false;
    word = static_cast<std::uint32_t>(bytes[at]) << 24 |
           static_cast<std::uint32_t>(bytes[at + 1]) << 16 |
           static_cast<std::uint32_t>(bytes[at + 2]) << 8 | bytes[at + 3];
    return true;
}

bool TagAt(const std::vector<std::uint8_t>& bytes, std::size_t at, const char* tag)
{
    return at <= bytes.size() && bytes.size() - at >= 4 && std::memcmp(&bytes[at], tag, 4) == 0;
}
} // namespace

std::size_t InformationBlockOffset(const MP3FrameInfo& frame)
{
    const bool mono = frame.isSingleChannel != 0;
    const std::size_t side = frame.isMpeg1 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    return 4 + (frame.isProtected ? 2 : 0) + side;
}

MP3InformationFrame ReadInformationFrame(const MP3StreamStart& start)
{
    MP3InformationFrame info;
    if (!start.found || !start.frame.isLayer3)
        return info;
    const std::vector<std::uint8_t>& bytes = start.firstFrame;
    const std::size_t xing = InformationBlockOffset(start.frame);
    std::uint32_t flags = 0;
    if ((TagAt(bytes, xing, "Xing") || TagAt(bytes, xing, "Info")) &&
        WordAt(bytes, xing + 4, flags))
    {
        info.present = true;
        std::size_t at = xing + 8;
        if (flags & kFramesFlag)
        {
            info.hasFrames = WordAt(bytes, at, info.frames);
            at += 4;
        }
        if (flags & kBytesFlag)
            info.hasBytes = WordAt(bytes, at, info.bytes);
    }
    else if (TagAt(bytes, kVbriOffset, "VBRI"))
    {
        // Version, delay and quality (two bytes each), then the counts.
        info.present = true;
        info.hasBytes = WordAt(bytes, kVbriOffset + 10, info.bytes);
        info.hasFrames = WordAt(bytes, kVbriOffset + 14, info.frames);
    }
    return info;
}

bool DeclaresMoreThanTheFileHolds(const MP3InformationFrame& info, const MP3StreamStart& start)
{
    if (!info.present || !start.found || start.offset > start.fileSize)
        return false;
    const std::uint64_t fromStart = start.fileSize - start.offset;
    if (info.hasBytes && info.bytes > fromStart)
        return true;
    if (!info.hasFrames)
        return false;
    // The shortest frame of this format: the lowest bitrate, no padding.
    MP3FrameInfo shortest;
    CMP3Check::DecodeHeader(
        (start.frame.headerWord & ~(kBitrateBits | kPaddingBit)) | kLowestBitrate, shortest);
    const std::uint64_t ownLength = start.firstFrame.size();
    const std::uint64_t after = fromStart > ownLength ? fromStart - ownLength : 0;
    return shortest.valid && static_cast<std::uint64_t>(info.frames) *
                                     static_cast<std::uint64_t>(shortest.frameLength) >
                                 after;
}

#pragma once

#include "repair/MP3Layout.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

class CFileWindow;

// CRC-16 with the polynomial 0x8005 taken from the low bit first, starting
// at `crc`: what the LAME extension's two check sums use.
std::uint16_t LameCrc16(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc = 0);

// The Xing frame (Info for a stream of one bitrate) that describes the
// audio frames a layout keeps: their count, their bytes with its own, and
// the table of contents. The original information frame's header is kept
// where it has room; a LAME extension in it is carried over, its encoder
// delay and padding unchanged and its lengths and check sums made true.
// Only Layer III streams get one.
class CInformationFrameWriter
{
public:
    explicit CInformationFrameWriter(const MP3Layout& layout);

    bool Applies() const { return m_length > 0; }
    std::size_t Length() const { return m_length; }

    // Walks the frames the layout keeps (read through `file`) and builds the
    // frame. False when a frame could not be read again.
    bool Build(CFileWindow& file, std::vector<std::uint8_t>& frame);

private:
    struct Walk
    {
        std::array<std::uint64_t, 100> tocOffsets{}; // from the frame's own start
        std::uint64_t bytes = 0;                     // with the frame's own
        std::uint16_t musicCrc = 0;
    };

    void ChooseHeader();
    bool WalkFrames(CFileWindow& file, Walk& walk) const;
    void WriteBlock(const Walk& walk, std::vector<std::uint8_t>& frame) const;
    void KeepOriginalFields(std::uint8_t* block) const;

    const MP3Layout& m_layout;
    std::uint32_t m_headerWord = 0;
    std::size_t m_length = 0;
    std::size_t m_blockOffset = 0;
    std::vector<std::uint8_t> m_lameExtension; // 36 bytes, or none
    bool m_reuseOriginal = false;
};

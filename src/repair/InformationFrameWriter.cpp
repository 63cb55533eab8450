#include "repair/InformationFrameWriter.h"

#include "check/MP3Check.h"
#include "check/MP3InformationFrame.h"
#include "repair/FileWindow.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace
{
constexpr std::uint32_t kStreamBits = 0xFFFE0C00u;
constexpr std::uint32_t kBitrateBits = 0xF000u;
constexpr std::uint32_t kPaddingBit = 0x200u;
constexpr std::uint32_t kAllFields = 0xF; // frames, bytes, table, quality
constexpr std::size_t kBlockSize = 8 + 4 + 4 + 100 + 4;
constexpr std::size_t kLameSize = 36;
constexpr std::size_t kLameMusicLength = 28;
constexpr std::size_t kLameMusicCrc = 32;
constexpr std::size_t kLameTagCrc = 34;

std::uint32_t BigEndianAt(const std::uint8_t* at)
{
    return static_cast<std::uint32_t>(at[0]) << 24 | static_cast<std::uint32_t>(at[1]) << 16 |
           static_cast<std::uint32_t>(at[2]) << 8 | at[3];
}

void PutBigEndian(std::uint8_t* at, std::uint32_t value, int bytes = 4)
{
    for (int i = bytes - 1; i >= 0; --i)
    {
        at[i] = static_cast<std::uint8_t>(value);
        value >>= 8;
    }
}

// The check word of a protected Layer III frame: CRC-16 (0x8005, high bit
// first, from all ones) over the header's last two bytes and the side
// information.
std::uint16_t FrameCheckWord(const std::vector<std::uint8_t>& frame, std::size_t sideEnd)
{
    std::uint16_t crc = 0xFFFF;
    auto feed = [&crc](std::uint8_t byte)
    {
        for (int bit = 7; bit >= 0; --bit)
        {
            const bool top = ((crc >> 15) ^ (byte >> bit)) & 1;
            crc = static_cast<std::uint16_t>(crc << 1);
            if (top)
                crc ^= 0x8005;
        }
    };
    feed(frame[2]);
    feed(frame[3]);
    for (std::size_t i = 6; i < sideEnd; ++i)
        feed(frame[i]);
    return crc;
}

bool HasXingBlock(const std::vector<std::uint8_t>& frame, std::size_t blockOffset)
{
    return frame.size() >= blockOffset + 8 && (std::memcmp(&frame[blockOffset], "Xing", 4) == 0 ||
                                               std::memcmp(&frame[blockOffset], "Info", 4) == 0);
}

// The 36 bytes of an encoder's extension after a Xing or Info block: an
// encoder name of letters first.
std::vector<std::uint8_t> LameExtensionOf(const std::vector<std::uint8_t>& frame,
                                          std::size_t blockOffset)
{
    if (frame.size() < blockOffset + 8)
        return {};
    // Without a readable block, the extension is where encoders put it.
    const std::uint32_t flags =
        HasXingBlock(frame, blockOffset) ? BigEndianAt(&frame[blockOffset + 4]) : kAllFields;
    const std::size_t at = blockOffset + 8 + (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0) +
                           (flags & 4 ? 100 : 0) + (flags & 8 ? 4 : 0);
    if (at + kLameSize > frame.size())
        return {};
    for (std::size_t i = 0; i < 4; ++i)
    {
        if (!std::isalpha(frame[at + i]))
            return {};
    }
    return {frame.begin() + static_cast<std::ptrdiff_t>(at),
            frame.begin() + static_cast<std::ptrdiff_t>(at + kLameSize)};
}

} // namespace

std::uint16_t LameCrc16(const std::uint8_t* bytes, std::size_t count, std::uint16_t crc)
{
    for (std::size_t i = 0; i < count; ++i)
    {
        crc ^= bytes[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = static_cast<std::uint16_t>(crc & 1 ? (crc >> 1) ^ 0xA001 : crc >> 1);
    }
    return crc;
}

CInformationFrameWriter::CInformationFrameWriter(const MP3Layout& layout) : m_layout(layout)
{
    if (!layout.chains.empty() && layout.streamHeader.isLayer3)
        ChooseHeader();
}

void CInformationFrameWriter::ChooseHeader()
{
    const std::vector<std::uint8_t>& original = m_layout.informationBytes;
    m_blockOffset = InformationBlockOffset(m_layout.streamHeader);
    MP3FrameInfo originalHeader;
    if (original.size() >= 4)
        CMP3Check::DecodeHeader(BigEndianAt(original.data()), originalHeader);
    const bool sameStream = originalHeader.valid && originalHeader.isLayer3 &&
                            (originalHeader.headerWord & kStreamBits) ==
                                (m_layout.streamHeader.headerWord & kStreamBits) &&
                            originalHeader.isSingleChannel == m_layout.streamHeader.isSingleChannel;
    if (sameStream)
        m_lameExtension = LameExtensionOf(original, m_blockOffset);
    const std::size_t needed = m_blockOffset + kBlockSize + m_lameExtension.size();
    if (sameStream && original.size() >= needed)
    {
        m_reuseOriginal = true;
        m_headerWord = originalHeader.headerWord;
        m_length = original.size();
        return;
    }
    // The lowest bitrate of the stream's format with room for the block.
    for (std::uint32_t index = 1; index < 15; ++index)
    {
        const std::uint32_t word =
            (m_layout.streamHeader.headerWord & ~(kBitrateBits | kPaddingBit)) | index << 12;
        MP3FrameInfo frame;
        if (CMP3Check::DecodeHeader(word, frame) &&
            static_cast<std::size_t>(frame.frameLength) >= needed)
        {
            m_headerWord = word;
            m_length = static_cast<std::size_t>(frame.frameLength);
            return;
        }
    }
}

bool CInformationFrameWriter::Build(CFileWindow& file, std::vector<std::uint8_t>& frame)
{
    frame.clear();
    if (!Applies())
        return true;
    Walk walk;
    if (!WalkFrames(file, walk))
        return false;
    frame.assign(m_length, 0);
    if (m_reuseOriginal)
        std::copy_n(m_layout.informationBytes.begin(), m_blockOffset, frame.begin());
    else
        PutBigEndian(frame.data(), m_headerWord);
    // Protected: the check word must be true, and it comes before what the
    // LAME extension's check sum covers.
    if (!(m_headerWord & 0x10000u))
        PutBigEndian(&frame[4], FrameCheckWord(frame, m_blockOffset), 2);
    WriteBlock(walk, frame);
    return true;
}

bool CInformationFrameWriter::WalkFrames(CFileWindow& file, Walk& walk) const
{
    const std::uint64_t frames = m_layout.AudioFrames();
    std::uint64_t index = 0;
    std::size_t entry = 0;
    walk.bytes = m_length;
    for (const FrameChain& chain : m_layout.chains)
    {
        for (std::uint64_t at = chain.span.start; at < chain.span.end;)
        {
            std::uint32_t word = 0;
            MP3FrameInfo header;
            if (!file.WordAt(at, word) || !CMP3Check::DecodeHeader(word, header))
                return false;
            const auto length = static_cast<std::size_t>(header.frameLength);
            const std::uint8_t* bytes = file.At(at, length);
            if (!bytes || length > chain.span.end - at)
                return false;
            while (entry < walk.tocOffsets.size() && entry * frames / 100 <= index)
                walk.tocOffsets[entry++] = walk.bytes;
            walk.musicCrc = LameCrc16(bytes, length, walk.musicCrc);
            walk.bytes += length;
            at += length;
            ++index;
        }
    }
    return true;
}

// The quality, and a table of contents that counted the same frames and
// bytes: encoders place its entries each their own way, and one that fits
// the stream is no reason to call the header rewritten.
void CInformationFrameWriter::KeepOriginalFields(std::uint8_t* block) const
{
    const std::vector<std::uint8_t>& original = m_layout.informationBytes;
    const std::uint32_t flags = BigEndianAt(&original[m_blockOffset + 4]);
    const std::size_t counts = m_blockOffset + 8;
    const std::size_t table = counts + (flags & 1 ? 4 : 0) + (flags & 2 ? 4 : 0);
    const std::size_t quality = table + (flags & 4 ? 100 : 0);
    const bool sameCounts = (flags & 3) == 3 && counts + 8 <= original.size() &&
                            std::equal(block + 8, block + 16, &original[counts]);
    if (sameCounts && flags & 4 && table + 100 <= original.size())
        std::copy_n(&original[table], 100, block + 16);
    if (flags & 8 && quality + 4 <= original.size())
        std::copy_n(&original[quality], 4, block + 116);
}

void CInformationFrameWriter::WriteBlock(const Walk& walk, std::vector<std::uint8_t>& frame) const
{
    std::uint8_t* block = &frame[m_blockOffset];
    std::memcpy(block, m_layout.IsVariableBitrate() ? "Xing" : "Info", 4);
    PutBigEndian(block + 4, kAllFields);
    PutBigEndian(block + 8, static_cast<std::uint32_t>(m_layout.AudioFrames()));
    PutBigEndian(block + 12, static_cast<std::uint32_t>(walk.bytes));
    for (std::size_t i = 0; i < walk.tocOffsets.size(); ++i)
    {
        const std::uint64_t scaled = walk.bytes > 0 ? walk.tocOffsets[i] * 256 / walk.bytes : 0;
        block[16 + i] = static_cast<std::uint8_t>(std::min<std::uint64_t>(scaled, 255));
    }
    const std::vector<std::uint8_t>& original = m_layout.informationBytes;
    if (m_reuseOriginal && HasXingBlock(original, m_blockOffset))
        KeepOriginalFields(block);
    if (m_lameExtension.empty())
        return;
    std::uint8_t* lame = block + kBlockSize;
    std::copy(m_lameExtension.begin(), m_lameExtension.end(), lame);
    PutBigEndian(lame + kLameMusicLength, static_cast<std::uint32_t>(walk.bytes));
    PutBigEndian(lame + kLameMusicCrc, walk.musicCrc, 2);
    const std::size_t checked = static_cast<std::size_t>(lame - frame.data()) + kLameTagCrc;
    PutBigEndian(lame + kLameTagCrc, LameCrc16(frame.data(), checked), 2);
}

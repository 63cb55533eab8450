#include "check/MP3SideInfo.h"

#include "check/MP3FrameInfo.h"

namespace
{
constexpr unsigned kMaxBigValues = 288; // 576 values in pairs
constexpr unsigned kNormalBlock = 0;

// Reads fields of up to 16 bits, most significant bit first. The caller
// makes sure the bits are there.
class CBitFields
{
public:
    explicit CBitFields(const std::uint8_t* data) : m_data(data) {}

    unsigned Read(int bits)
    {
        unsigned value = 0;
        for (int i = 0; i < bits; ++i, ++m_bit)
            value = value << 1 | (m_data[m_bit >> 3] >> (7 - (m_bit & 7)) & 1u);
        return value;
    }
    void Skip(int bits) { m_bit += static_cast<std::size_t>(bits); }

private:
    const std::uint8_t* m_data;
    std::size_t m_bit = 0;
};

void Flag(MP3SideInfo& info, MP3DecodeFaultKind fault)
{
    if (!info.faulty)
        info.fault = fault;
    info.faulty = true;
}
} // namespace

MP3SideInfo ReadMP3SideInfo(const MP3FrameInfo& header, const std::uint8_t* body, std::size_t size)
{
    MP3SideInfo info;
    if (!header.valid || !header.isLayer3)
        return info;
    const bool mpeg1 = header.isMpeg1 != 0;
    const int channels = header.isSingleChannel ? 1 : 2;
    const std::size_t check = header.isProtected ? 2 : 0;
    const std::size_t sideBytes = mpeg1 ? (channels == 1 ? 17 : 32) : (channels == 1 ? 9 : 17);
    if (size < check + sideBytes)
        return info;
    info.read = true;
    info.granules = mpeg1 ? 2 : 1;

    CBitFields bits(body + check);
    const unsigned mainDataBegin = bits.Read(mpeg1 ? 9 : 8);
    bits.Skip(mpeg1 ? (channels == 1 ? 5 : 3) + 4 * channels : channels);
    unsigned long codedBits = 0;
    for (int granule = 0; granule < info.granules; ++granule)
    {
        for (int channel = 0; channel < channels; ++channel)
        {
            codedBits += bits.Read(12); // part2_3_length
            const unsigned bigValues = bits.Read(9);
            if (bigValues > kMaxBigValues)
                Flag(info, MP3DecodeFaultKind::BigValues);
            bits.Skip(8 + (mpeg1 ? 4 : 9)); // global gain, scale factor compression
            if (bits.Read(1))               // window switching
            {
                if (bits.Read(2) == kNormalBlock)
                    Flag(info, MP3DecodeFaultKind::BlockType);
                bits.Skip(1 + 2 * 5 + 3 * 3);
            }
            else
                bits.Skip(3 * 5 + 4 + 3);
            bits.Skip(mpeg1 ? 3 : 2);
        }
    }
    // The coded data of a frame starts `mainDataBegin` bytes back, in the
    // frames before it, and ends before the next frame.
    const std::size_t ownBytes = size - check - sideBytes;
    if (codedBits > 8ul * (mainDataBegin + ownBytes))
        Flag(info, MP3DecodeFaultKind::DataBeyondFrame);
    return info;
}

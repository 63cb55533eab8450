#include "audio/wav/WaveFormat.h"

#include <algorithm>

namespace
{
constexpr std::size_t kBaseSize = 18;
constexpr std::size_t kSubFormatAt = kBaseSize + 6; // after valid bits and channel mask

void Put16(std::vector<std::uint8_t>& block, std::size_t at, std::uint16_t value)
{
    block[at] = static_cast<std::uint8_t>(value);
    block[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

void Put32(std::vector<std::uint8_t>& block, std::size_t at, std::uint32_t value)
{
    for (std::size_t i = 0; i < 4; ++i)
        block[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::vector<std::uint8_t> Block(std::uint16_t tag, std::uint32_t averageBytes,
                                std::uint16_t blockAlign, std::uint16_t bits,
                                std::uint16_t extraSize)
{
    std::vector<std::uint8_t> block(kBaseSize + extraSize, 0);
    Put16(block, 0, tag);
    Put16(block, 2, 2);
    Put32(block, 4, 44100);
    Put32(block, 8, averageBytes);
    Put16(block, 12, blockAlign);
    Put16(block, 14, bits);
    Put16(block, 16, extraSize);
    return block;
}
} // namespace

CWaveFormat CWaveFormat::Pcm44100Stereo()
{
    return CWaveFormat(Block(kWaveFormatPcm, 176400, 4, 16, 0));
}

CWaveFormat CWaveFormat::ImaAdpcm44100Stereo()
{
    std::vector<std::uint8_t> block = Block(kWaveFormatImaAdpcm, 44251, 2048, 4, 2);
    Put16(block, kBaseSize, 2041);
    return CWaveFormat(std::move(block));
}

std::vector<std::uint8_t> CWaveFormat::BlockToWrite() const
{
    const std::size_t size = std::min(m_block.size(), kBaseSize + ExtraSize());
    std::vector<std::uint8_t> block(m_block.begin(), m_block.begin() + static_cast<long>(size));
    block.resize(std::max(size, kBaseSize), 0);
    return block;
}

std::uint16_t CWaveFormat::SampleTag() const
{
    if (Tag() != kWaveFormatExtensible || ExtraSize() < 22)
        return Tag();
    return U16(kSubFormatAt);
}

std::uint16_t CWaveFormat::U16(std::size_t at) const
{
    if (at + 2 > m_block.size())
        return 0;
    return static_cast<std::uint16_t>(m_block[at] | m_block[at + 1] << 8);
}

std::uint32_t CWaveFormat::U32(std::size_t at) const
{
    if (at + 4 > m_block.size())
        return 0;
    return static_cast<std::uint32_t>(m_block[at]) |
           static_cast<std::uint32_t>(m_block[at + 1]) << 8 |
           static_cast<std::uint32_t>(m_block[at + 2]) << 16 |
           static_cast<std::uint32_t>(m_block[at + 3]) << 24;
}

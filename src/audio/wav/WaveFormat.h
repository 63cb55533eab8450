#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

enum WaveFormatTag : std::uint16_t
{
    kWaveFormatPcm = 0x0001,
    kWaveFormatFloat = 0x0003,
    kWaveFormatALaw = 0x0006,
    kWaveFormatMuLaw = 0x0007,
    kWaveFormatImaAdpcm = 0x0011,
    kWaveFormatExtensible = 0xFFFE,
};

// A WAVE format block as it stands in a file: format tag, channels, samples
// per second, average bytes per second, block align, bits per sample, extra
// size and the extra bytes, all little-endian. Fields past the bytes held
// read as 0, so a short or hostile block is safe to query.
class CWaveFormat
{
public:
    CWaveFormat() = default;
    explicit CWaveFormat(std::vector<std::uint8_t> block) : m_block(std::move(block)) {}

    // 16-bit stereo PCM at 44100 Hz: the output format of every conversion.
    static CWaveFormat Pcm44100Stereo();
    // IMA ADPCM 44100 Hz stereo, 2048-byte blocks of 2041 samples per channel.
    static CWaveFormat ImaAdpcm44100Stereo();

    bool IsEmpty() const { return m_block.empty(); }
    const std::vector<std::uint8_t>& Bytes() const { return m_block; }
    // The bytes a writer stores: 18 plus the extra size (bounded by what is held).
    std::vector<std::uint8_t> BlockToWrite() const;

    std::uint16_t Tag() const { return U16(0); }
    std::uint16_t Channels() const { return U16(2); }
    std::uint32_t SamplesPerSecond() const { return U32(4); }
    std::uint32_t AverageBytesPerSecond() const { return U32(8); }
    std::uint16_t BlockAlign() const { return U16(12); }
    std::uint16_t BitsPerSample() const { return U16(14); }
    std::uint16_t ExtraSize() const { return U16(16); }
    // The tag that says how samples are coded: for an extensible block, the
    // first two bytes of its sub-format; otherwise Tag().
    std::uint16_t SampleTag() const;

private:
    std::uint16_t U16(std::size_t at) const;
    std::uint32_t U32(std::size_t at) const;

    std::vector<std::uint8_t> m_block;
};

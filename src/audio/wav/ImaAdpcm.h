#pragma once

#include <cstddef>
#include <cstdint>

// IMA ADPCM in the block layout of WAVE format tag 0x11: each block starts
// with a 4-byte header per channel (first sample, step index, zero), then
// 4-bit codes in groups of 4 bytes (8 samples) per channel, channels taking
// turns, low nibble first. A block of `blockAlign` bytes holds
// (blockAlign - 4 * channels) * 2 / channels + 1 samples per channel.
std::size_t ImaAdpcmSamplesPerBlock(unsigned channels, std::size_t blockAlign);

// Encodes interleaved 16-bit PCM one block at a time. The step index carries
// over from block to block.
class CImaAdpcmEncoder
{
public:
    CImaAdpcmEncoder(unsigned channels, std::size_t blockAlign);

    std::size_t SamplesPerBlock() const { return m_samplesPerBlock; }
    std::size_t BlockAlign() const { return m_blockAlign; }

    // Encodes SamplesPerBlock() interleaved frames from `frames` into the
    // BlockAlign() bytes at `block`.
    void EncodeBlock(const std::int16_t* frames, std::uint8_t* block);

private:
    unsigned m_channels;
    std::size_t m_blockAlign;
    std::size_t m_samplesPerBlock;
    int m_stepIndex[2] = {0, 0};
    bool m_started = false; // the first block picks its own starting step
};

// Decodes blocks back to interleaved 16-bit PCM.
class CImaAdpcmDecoder
{
public:
    CImaAdpcmDecoder(unsigned channels, std::size_t blockAlign);

    std::size_t SamplesPerBlock() const { return m_samplesPerBlock; }

    // Decodes one block of `size` bytes (at most the block align; a shorter
    // final block yields the samples it holds whole) into `frames`, which has
    // room for SamplesPerBlock() frames. Returns the frames written; 0 when
    // the block is too short to hold its headers.
    std::size_t DecodeBlock(const std::uint8_t* block, std::size_t size, std::int16_t* frames);

private:
    unsigned m_channels;
    std::size_t m_blockAlign;
    std::size_t m_samplesPerBlock;
};

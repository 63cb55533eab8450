#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Assembles RIFF WAVE files chunk by chunk, including malformed ones, for
// tests. Sizes are filled in unless a test overrides them.
class CWaveBuilder
{
public:
    // A format chunk of the usual 16 bytes, or 18 + extra when extra is given.
    CWaveBuilder& Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                         std::uint16_t bits, std::uint16_t blockAlign,
                         const std::vector<std::uint8_t>& extra = {}, bool withExtraSize = false);
    // WAVE_FORMAT_EXTENSIBLE with the given sub-format tag.
    CWaveBuilder& ExtensibleFormat(std::uint16_t subTag, std::uint16_t channels, std::uint32_t rate,
                                   std::uint16_t bits);
    CWaveBuilder& Chunk(const std::string& id, const std::vector<std::uint8_t>& data);
    // A chunk header that declares `declared` bytes, followed by `data` only.
    CWaveBuilder& ChunkClaiming(const std::string& id, std::uint32_t declared,
                                const std::vector<std::uint8_t>& data);
    CWaveBuilder& RiffSize(std::uint32_t size);

    std::vector<std::uint8_t> Bytes() const;
    void WriteTo(const std::string& path) const;

private:
    std::vector<std::uint8_t> m_chunks;
    bool m_riffSizeSet = false;
    std::uint32_t m_riffSize = 0;
};

// Writes a silent WAV (8 kHz mono 8-bit) whose reported length is
// `milliseconds`; returns `path`.
std::string WriteSilentWave(const std::string& path, int milliseconds);

// Interleaved 16-bit samples of a few sines, different on every channel.
std::vector<std::int16_t> TestSignal(std::size_t frames, unsigned channels);
std::vector<std::uint8_t> AsBytes(const std::vector<std::int16_t>& samples);
std::vector<std::int16_t> AsSamples(const std::vector<std::uint8_t>& bytes);
// Signal-to-noise ratio of `test` against `reference` in dB, over the shorter.
double SnrDb(const std::vector<std::int16_t>& reference, const std::vector<std::int16_t>& test);
std::vector<std::uint8_t> ReadFileBytes(const std::string& path);
// Writes `bytes` as the whole of `path`; throws on failure.
void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

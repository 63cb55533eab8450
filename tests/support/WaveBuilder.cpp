#include "support/WaveBuilder.h"

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace
{
void Put16(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}
} // namespace

CWaveBuilder& CWaveBuilder::Format(std::uint16_t tag, std::uint16_t channels, std::uint32_t rate,
                                   std::uint16_t bits, std::uint16_t blockAlign,
                                   const std::vector<std::uint8_t>& extra, bool withExtraSize)
{
    std::vector<std::uint8_t> block;
    Put16(block, tag);
    Put16(block, channels);
    Put32(block, rate);
    Put32(block, rate * blockAlign);
    Put16(block, blockAlign);
    Put16(block, bits);
    if (withExtraSize || !extra.empty())
    {
        Put16(block, static_cast<std::uint32_t>(extra.size()));
        block.insert(block.end(), extra.begin(), extra.end());
    }
    return Chunk("fmt ", block);
}

CWaveBuilder& CWaveBuilder::ExtensibleFormat(std::uint16_t subTag, std::uint16_t channels,
                                             std::uint32_t rate, std::uint16_t bits)
{
    std::vector<std::uint8_t> extra;
    Put16(extra, bits);                    // valid bits
    Put32(extra, channels == 2 ? 3u : 0u); // channel mask
    Put16(extra, subTag);                  // sub-format GUID: tag, then the fixed tail
    const std::uint8_t tail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
    extra.insert(extra.end(), tail, tail + 14);
    return Format(0xFFFE, channels, rate, bits, static_cast<std::uint16_t>(channels * bits / 8),
                  extra);
}

CWaveBuilder& CWaveBuilder::Chunk(const std::string& id, const std::vector<std::uint8_t>& data)
{
    return ChunkClaiming(id, static_cast<std::uint32_t>(data.size()), data);
}

CWaveBuilder& CWaveBuilder::ChunkClaiming(const std::string& id, std::uint32_t declared,
                                          const std::vector<std::uint8_t>& data)
{
    m_chunks.insert(m_chunks.end(), id.begin(), id.begin() + 4);
    Put32(m_chunks, declared);
    m_chunks.insert(m_chunks.end(), data.begin(), data.end());
    if (data.size() % 2 != 0 && declared == data.size())
        m_chunks.push_back(0);
    return *this;
}

CWaveBuilder& CWaveBuilder::RiffSize(std::uint32_t size)
{
    m_riffSizeSet = true;
    m_riffSize = size;
    return *this;
}

std::vector<std::uint8_t> CWaveBuilder::Bytes() const
{
    std::vector<std::uint8_t> file = {'R', 'I', 'F', 'F'};
    Put32(file, m_riffSizeSet ? m_riffSize : static_cast<std::uint32_t>(4 + m_chunks.size()));
    file.insert(file.end(), {'W', 'A', 'V', 'E'});
    file.insert(file.end(), m_chunks.begin(), m_chunks.end());
    return file;
}

void CWaveBuilder::WriteTo(const std::string& path) const
{
    WriteFileBytes(path, Bytes());
}

void WriteFileBytes(const std::string& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

std::string WriteSilentWave(const std::string& path, int milliseconds)
{
    const std::size_t bytes = static_cast<std::size_t>(milliseconds) * 8;
    CWaveBuilder()
        .Format(1, 1, 8000, 8, 1)
        .Chunk("data", std::vector<std::uint8_t>(bytes, 128))
        .WriteTo(path);
    return path;
}

std::vector<std::int16_t> TestSignal(std::size_t frames, unsigned channels)
{
    std::vector<std::int16_t> samples(frames * channels);
    for (std::size_t f = 0; f < frames; ++f)
        for (unsigned c = 0; c < channels; ++c)
        {
            const double t = static_cast<double>(f) / 44100.0;
            const double value = 0.45 * std::sin(2 * M_PI * (220.0 + 110.0 * c) * t) +
                                 0.25 * std::sin(2 * M_PI * (1250.0 + 40.0 * c) * t) +
                                 0.1 * std::sin(2 * M_PI * 5100.0 * t);
            samples[f * channels + c] = static_cast<std::int16_t>(std::lrint(value * 32767.0));
        }
    return samples;
}

std::vector<std::uint8_t> AsBytes(const std::vector<std::int16_t>& samples)
{
    std::vector<std::uint8_t> bytes(samples.size() * 2);
    if (!bytes.empty()) // an empty vector's data() may be null
        std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

std::vector<std::int16_t> AsSamples(const std::vector<std::uint8_t>& bytes)
{
    std::vector<std::int16_t> samples(bytes.size() / 2);
    if (!samples.empty())
        std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
    return samples;
}

double SnrDb(const std::vector<std::int16_t>& reference, const std::vector<std::int16_t>& test)
{
    const std::size_t n = std::min(reference.size(), test.size());
    double signal = 0, noise = 0;
    for (std::size_t i = 0; i < n; ++i)
    {
        signal += static_cast<double>(reference[i]) * reference[i];
        const double error = static_cast<double>(reference[i]) - test[i];
        noise += error * error;
    }
    return noise == 0 ? 200.0 : 10.0 * std::log10(signal / noise);
}

std::vector<std::uint8_t> ReadFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

#include "FrameFile.h"

#include <cstdio>
#include <memory>
#include <vector>

namespace
{
// Bitrate indexes in the proportions a typical variable-bitrate encode shows.
const unsigned kVbrIndexes[] = {9, 10, 11, 9, 12, 9, 10, 13, 9, 11, 14, 10};

std::uint32_t Header(unsigned bitrateIndex, bool padded)
{
    return 0xFFFB0064u | bitrateIndex << 12 | (padded ? 1u << 9 : 0u);
}

std::size_t Length(unsigned bitrateIndex, bool padded)
{
    static const unsigned kKbps[] = {0,   32,  40,  48,  56,  64,  80, 96,
                                     112, 128, 160, 192, 224, 256, 320};
    return 144000 * kKbps[bitrateIndex] / 44100 + (padded ? 1 : 0);
}

class CRandomBytes
{
public:
    std::uint8_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint8_t>(m_state >> 32);
    }

private:
    std::uint64_t m_state = 0x9E3779B97F4A7C15ull;
};

struct FileCloser
{
    void operator()(std::FILE* file) const { std::fclose(file); }
};
} // namespace

bool WriteFrameFile(const std::string& path, std::uint64_t bytes, bool variableBitrate)
{
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (!file)
        return false;
    CRandomBytes random;
    std::vector<std::uint8_t> frame;
    std::uint64_t written = 0;
    // 44100 Hz frames of 128 kbit/s carry 417.96 bytes: padding on 24 of 25.
    for (std::uint64_t i = 0;; ++i)
    {
        const unsigned index = variableBitrate ? kVbrIndexes[i % std::size(kVbrIndexes)] : 9;
        const bool padded = i % 25 != 0;
        const std::size_t length = Length(index, padded);
        if (written + length > bytes)
            break;
        frame.resize(length);
        const std::uint32_t header = Header(index, padded);
        for (int b = 0; b < 4; ++b)
            frame[b] = static_cast<std::uint8_t>(header >> (24 - 8 * b));
        for (std::size_t b = 4; b < length; ++b)
            frame[b] = random.Next();
        if (std::fwrite(frame.data(), 1, length, file.get()) != length)
            return false;
        written += length;
    }
    return std::fflush(file.get()) == 0;
}

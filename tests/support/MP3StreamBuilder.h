#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Header words used across the tests, first byte in bits 31-24.
namespace mp3words
{
// MPEG-1 Layer III, 128 kbit/s, 44100 Hz, joint stereo, original: 417 bytes.
constexpr std::uint32_t kMpeg1L3 = 0xFFFB9064u;
constexpr std::size_t kMpeg1L3Length = 417;
// The same with the padding bit set: 418 bytes.
constexpr std::uint32_t kMpeg1L3Padded = 0xFFFB9264u;
constexpr std::size_t kMpeg1L3PaddedLength = 418;
// The same with the protection bit cleared: a check word follows the header.
constexpr std::uint32_t kMpeg1L3Protected = 0xFFFA9064u;
// Bitrate index 0, free format.
constexpr std::uint32_t kFreeFormat = 0xFFFB0064u;
} // namespace mp3words

// Builds MP3-like byte streams: frames of chosen headers with silent bodies,
// tags and stray bytes, for tests and benchmarks.
class CMP3StreamBuilder
{
public:
    // One frame of `length` bytes in all: the header word, then zeros.
    CMP3StreamBuilder& Frame(std::uint32_t header, std::size_t length);
    CMP3StreamBuilder& Frames(std::uint32_t header, std::size_t length, std::size_t count);
    CMP3StreamBuilder& Bytes(const std::vector<std::uint8_t>& bytes);
    CMP3StreamBuilder& Text(const std::string& text);
    CMP3StreamBuilder& Zeros(std::size_t count);
    // An ID3v2.4 tag header with a synchsafe `size`, then `size` zero bytes.
    CMP3StreamBuilder& Id3v2(std::uint32_t size);
    // "TAG" and 125 bytes of text.
    CMP3StreamBuilder& Id3v1();

    std::size_t Size() const { return m_data.size(); }
    const std::vector<std::uint8_t>& Data() const { return m_data; }
    // Writes the stream to `path`; throws on failure.
    void WriteTo(const std::string& path) const;

private:
    std::vector<std::uint8_t> m_data;
};

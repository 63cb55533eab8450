#pragma once

#include "io/DiskFile.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>
#include <vorbis/vorbisfile.h>

// An Ogg Vorbis file opened for decoding through the Vorbis file layer. It
// owns the file and the decoding state. PCM comes out as little-endian
// signed 16-bit in at most two channels: more are mixed down to stereo.
class COggVorbisDecoder
{
public:
    COggVorbisDecoder() = default;
    ~COggVorbisDecoder();
    COggVorbisDecoder(const COggVorbisDecoder&) = delete;
    COggVorbisDecoder& operator=(const COggVorbisDecoder&) = delete;

    // `path` is UTF-8. On failure returns false with `error` in plain words.
    bool Open(const std::string& path, std::string& error);

    std::uint32_t Rate() const { return m_rate; }
    // Channels of the delivered PCM: 1 or 2.
    unsigned Channels() const { return m_sourceChannels > 2 ? 2 : m_sourceChannels; }
    // Sample frames of the whole file; 0 when unknown.
    std::int64_t TotalFrames();
    // First value of the comment `name`, as UTF-8; empty when absent.
    std::string Comment(const char* name);

    // Decodes the next piece, at most `capacity` bytes (at least one frame
    // of the source's channels). Returns the bytes written; 0 at the end, on
    // an error or gap, or where a chained stream changes rate or channels.
    std::int32_t Decode(std::uint8_t* out, std::size_t capacity);
    // Sample frame the next Decode starts at.
    std::int64_t Tell();
    bool Seek(std::int64_t frame);

private:
    void SetDownmix();
    std::size_t Downmix(std::uint8_t* pcm, std::size_t frames) const;

    CDiskFile m_file;
    OggVorbis_File m_stream{};
    bool m_open = false;
    std::uint32_t m_rate = 0;
    unsigned m_sourceChannels = 0;
    std::vector<float> m_leftGain;
    std::vector<float> m_rightGain;
};

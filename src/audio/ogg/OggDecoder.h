#pragma once

#include "audio/pcm/Resampler.h"
#include "io/DiskFile.h"
#include "io/Status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include <vorbis/vorbisfile.h>

// An Ogg Vorbis file opened for decoding through the Vorbis file layer. It
// owns the file and the decoding state. PCM comes out as little-endian
// signed 16-bit in at most two channels: more are mixed down to stereo.
// Every link of a chained file is delivered in the first link's rate and
// channels: a link of another rate is resampled, mono goes to both sides
// and stereo to mono as the average, so that length and audio agree.
class COggVorbisDecoder
{
public:
    COggVorbisDecoder() = default;
    ~COggVorbisDecoder();
    COggVorbisDecoder(const COggVorbisDecoder&) = delete;
    COggVorbisDecoder& operator=(const COggVorbisDecoder&) = delete;

    // `path` is UTF-8.
    Status Open(const std::string& path);

    std::uint32_t Rate() const { return m_rate; }
    // Channels of the delivered PCM: 1 or 2.
    unsigned Channels() const { return m_channels; }
    // Channels of the file's first link, before any mix-down.
    unsigned SourceChannels() const { return m_links.empty() ? 0 : m_links[0].channels; }
    // Sample frames of the whole file at Rate(), as Decode delivers them
    // (one more or less per resampled link); 0 when unknown.
    std::int64_t TotalFrames() const { return m_totalFrames; }
    // First value of the comment `name`, as UTF-8; empty when absent.
    std::string Comment(const char* name);

    // Decodes the next piece, at most `capacity` bytes (at least one frame).
    // Returns the bytes written; 0 at the end or on an error.
    std::int32_t Decode(std::uint8_t* out, std::size_t capacity);
    // Sample frame the next Decode starts at.
    std::int64_t Tell() const { return m_position; }
    // Moves to `frame`; within a resampled link the place is approximate.
    bool Seek(std::int64_t frame);

private:
    struct Link
    {
        std::uint32_t rate = 0;
        unsigned channels = 0;
        bool usable = false;         // a layout this class can convert
        std::int64_t layerStart = 0; // its first frame as the file layer counts
        std::int64_t frames = 0;     // at its own rate
        std::int64_t outStart = 0;   // its first frame as delivered
    };

    Status ReadLinks();
    bool SameLayout(const Link& link) const
    {
        return link.rate == m_rate && link.channels == m_links[0].channels;
    }
    void StartLink(int link);
    long ReadSource(std::uint8_t* out, std::size_t capacity, int& link);
    void TakeIn(const std::uint8_t* pcm, std::size_t frames);
    std::int32_t Deliver(std::uint8_t* out, const std::int16_t* pcm, std::size_t frames);
    void SetDownmix(unsigned channels);
    std::size_t Downmix(std::uint8_t* pcm, std::size_t frames) const;

    CDiskFile m_file;
    OggVorbis_File m_stream{};
    bool m_open = false;
    std::uint32_t m_rate = 0;
    unsigned m_channels = 0;
    std::int64_t m_totalFrames = 0;
    std::vector<Link> m_links;

    // Decoding state: the link being read and its source PCM in the
    // delivered channels, not yet resampled or handed out.
    int m_link = -1;
    std::vector<std::int16_t> m_input;
    std::size_t m_inputAt = 0; // frames of m_input already used
    std::unique_ptr<CResampler> m_resampler;
    std::unique_ptr<CResampler> m_ending; // a finished link's, still to drain
    std::vector<std::uint8_t> m_source;
    std::vector<std::int16_t> m_output;
    std::int64_t m_position = 0;

    unsigned m_mixChannels = 0; // the source channels the gains are for
    std::vector<float> m_leftGain;
    std::vector<float> m_rightGain;
};

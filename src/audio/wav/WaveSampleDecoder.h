#pragma once

#include "audio/wav/WaveFormat.h"
#include "io/Status.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

// Turns the data of a WAV file whose samples are not already 16-bit PCM in
// one or two channels into that: other PCM depths, floating point, A-law and
// mu-law, IMA ADPCM; more than two channels are mixed down to stereo.
class IWaveSampleDecoder
{
public:
    virtual ~IWaveSampleDecoder() = default;

    // Sample frames one unit yields at most.
    virtual std::size_t FramesPerUnit() const = 0;
    // Sample frames a short last unit of `bytes` yields.
    virtual std::size_t FramesInShortUnit(std::size_t) const { return 0; }
    // Decodes `size` bytes, whole units except perhaps a short last one, into
    // `out`, which has room for FramesPerUnit() frames of each unit of the
    // file's own channel count. Returns the 16-bit samples written.
    virtual std::size_t Decode(const std::uint8_t* data, std::size_t size, std::int16_t* out) = 0;
};

// True when the file's data can be delivered as it is stored.
bool IsPlainPcm16(const CWaveFormat& format);

// Makes the decoder for `format`; fails when the format cannot be decoded.
Status CreateWaveSampleDecoder(const CWaveFormat& format,
                               std::unique_ptr<IWaveSampleDecoder>& decoder);

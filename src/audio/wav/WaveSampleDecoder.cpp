#include "audio/wav/WaveSampleDecoder.h"

#include "audio/wav/ImaAdpcm.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>

namespace
{
constexpr unsigned kMaxChannels = 32;

enum class SampleCoding
{
    Unsigned8,
    Signed, // 16, 24 or 32 bits: the top two bytes are kept
    Float,  // 32 or 64 bits
    ALaw,
    MuLaw,
};

std::int16_t FromFloat(double value)
{
    if (!(value > -1.0)) // also catches NaN
        return value < 0 ? -32768 : 0;
    if (value >= 1.0)
        return 32767;
    return static_cast<std::int16_t>(std::lrint(value * 32767.0));
}

std::int16_t FromALaw(std::uint8_t code)
{
    code ^= 0x55;
    const int exponent = code >> 4 & 7;
    int magnitude = (code & 0x0F) << 4 | 8;
    if (exponent > 0)
        magnitude = (magnitude | 0x100) << (exponent - 1);
    return static_cast<std::int16_t>(code & 0x80 ? magnitude : -magnitude);
}

std::int16_t FromMuLaw(std::uint8_t code)
{
    code = static_cast<std::uint8_t>(~code);
    const int exponent = code >> 4 & 7;
    const int magnitude = (((code & 0x0F) << 3) + 0x84) << exponent;
    return static_cast<std::int16_t>(code & 0x80 ? 0x84 - magnitude : magnitude - 0x84);
}

// Mixes interleaved frames of more than two channels down to stereo in
// place. Channels follow the usual order (front left, front right, centre,
// low-frequency, back left, back right, side left, side right); the centre
// goes to both sides, the low-frequency channel is left out, any further
// channels alternate left and right. Each side is scaled by its total weight
// so that full scale in every channel stays full scale, never clipping.
std::size_t DownmixToStereo(std::int16_t* samples, std::size_t frames, unsigned channels)
{
    static const float kLeft[8] = {1, 0, 0.7071f, 0, 0.7071f, 0, 0.7071f, 0};
    static const float kRight[8] = {0, 1, 0.7071f, 0, 0, 0.7071f, 0, 0.7071f};
    float left[kMaxChannels], right[kMaxChannels];
    float leftTotal = 0, rightTotal = 0;
    for (unsigned c = 0; c < channels; ++c)
    {
        left[c] = c < 8 ? kLeft[c] : (c % 2 == 0 ? 0.5f : 0.0f);
        right[c] = c < 8 ? kRight[c] : (c % 2 == 1 ? 0.5f : 0.0f);
        leftTotal += left[c];
        rightTotal += right[c];
    }
    for (std::size_t f = 0; f < frames; ++f)
    {
        const std::int16_t* in = samples + f * channels;
        float l = 0, r = 0;
        for (unsigned c = 0; c < channels; ++c)
        {
            l += left[c] * in[c];
            r += right[c] * in[c];
        }
        samples[2 * f] = static_cast<std::int16_t>(std::lrint(l / leftTotal));
        samples[2 * f + 1] = static_cast<std::int16_t>(std::lrint(r / rightTotal));
    }
    return frames * 2;
}

// Linear PCM of any depth, floating point, A-law and mu-law: one unit per
// sample frame.
class CPcmSampleDecoder final : public IWaveSampleDecoder
{
public:
    CPcmSampleDecoder(SampleCoding coding, unsigned channels, std::size_t sampleBytes,
                      std::size_t frameBytes)
        : m_coding(coding), m_channels(channels), m_sampleBytes(sampleBytes),
          m_frameBytes(frameBytes)
    {
    }

    std::size_t FramesPerUnit() const override { return 1; }

    std::size_t Decode(const std::uint8_t* data, std::size_t size, std::int16_t* out) override
    {
        const std::size_t frames = size / m_frameBytes;
        std::int16_t* next = out;
        for (std::size_t f = 0; f < frames; ++f)
        {
            const std::uint8_t* frame = data + f * m_frameBytes;
            for (unsigned c = 0; c < m_channels; ++c)
                *next++ = Sample(frame + c * m_sampleBytes);
        }
        if (m_channels > 2)
            return DownmixToStereo(out, frames, m_channels);
        return frames * m_channels;
    }

private:
    std::int16_t Sample(const std::uint8_t* at) const
    {
        switch (m_coding)
        {
        case SampleCoding::Unsigned8:
            return static_cast<std::int16_t>((at[0] - 128) * 256);
        case SampleCoding::Signed:
            // Little-endian: the two most significant bytes come last.
            return static_cast<std::int16_t>(at[m_sampleBytes - 2] | at[m_sampleBytes - 1] << 8);
        case SampleCoding::Float:
            if (m_sampleBytes == 4)
            {
                std::uint32_t bits = static_cast<std::uint32_t>(at[0]) | at[1] << 8 | at[2] << 16 |
                                     static_cast<std::uint32_t>(at[3]) << 24;
                float value;
                std::memcpy(&value, &bits, sizeof value);
                return FromFloat(value);
            }
            else
            {
                std::uint64_t bits = 0;
                for (int i = 7; i >= 0; --i)
                    bits = bits << 8 | at[i];
                double value;
                std::memcpy(&value, &bits, sizeof value);
                return FromFloat(value);
            }
        case SampleCoding::ALaw:
            return FromALaw(at[0]);
        case SampleCoding::MuLaw:
            return FromMuLaw(at[0]);
        }
        return 0;
    }

    SampleCoding m_coding;
    unsigned m_channels;
    std::size_t m_sampleBytes;
    std::size_t m_frameBytes;
};

class CImaAdpcmSampleDecoder final : public IWaveSampleDecoder
{
public:
    CImaAdpcmSampleDecoder(unsigned channels, std::size_t blockAlign)
        : m_decoder(channels, blockAlign), m_channels(channels), m_blockAlign(blockAlign)
    {
    }

    std::size_t FramesPerUnit() const override { return m_decoder.SamplesPerBlock(); }
    std::size_t FramesInShortUnit(std::size_t bytes) const override
    {
        return ImaAdpcmSamplesPerBlock(m_channels, bytes);
    }

    std::size_t Decode(const std::uint8_t* data, std::size_t size, std::int16_t* out) override
    {
        std::size_t written = 0;
        for (std::size_t at = 0; at < size; at += m_blockAlign)
        {
            const std::size_t piece = std::min(m_blockAlign, size - at);
            std::int16_t* frames = out + written;
            const std::size_t decoded = m_decoder.DecodeBlock(data + at, piece, frames);
            written += m_channels > 2 ? DownmixToStereo(frames, decoded, m_channels)
                                      : decoded * m_channels;
        }
        return written;
    }

private:
    CImaAdpcmDecoder m_decoder;
    unsigned m_channels;
    std::size_t m_blockAlign;
};

bool CodingFor(std::uint16_t tag, std::size_t sampleBytes, SampleCoding& coding)
{
    switch (tag)
    {
    case kWaveFormatPcm:
        if (sampleBytes == 1)
            coding = SampleCoding::Unsigned8;
        else if (sampleBytes >= 2 && sampleBytes <= 4)
            coding = SampleCoding::Signed;
        else
            return false;
        return true;
    case kWaveFormatFloat:
        coding = SampleCoding::Float;
        return sampleBytes == 4 || sampleBytes == 8;
    case kWaveFormatALaw:
        coding = SampleCoding::ALaw;
        return sampleBytes == 1;
    case kWaveFormatMuLaw:
        coding = SampleCoding::MuLaw;
        return sampleBytes == 1;
    default:
        return false;
    }
}

std::string TagText(std::uint16_t tag)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", tag);
    return text;
}
} // namespace

bool IsPlainPcm16(const CWaveFormat& format)
{
    const unsigned channels = format.Channels();
    return format.SampleTag() == kWaveFormatPcm && format.BitsPerSample() == 16 &&
           (channels == 1 || channels == 2) && format.BlockAlign() == 2 * channels;
}

Status CreateWaveSampleDecoder(const CWaveFormat& format,
                               std::unique_ptr<IWaveSampleDecoder>& decoder)
{
    const unsigned channels = format.Channels();
    if (channels == 0 || channels > kMaxChannels)
    {
        return Status::Failure("unsupported number of channels: " + std::to_string(channels));
    }
    const std::uint16_t tag = format.SampleTag();
    if (tag == kWaveFormatImaAdpcm)
    {
        try
        {
            decoder = std::make_unique<CImaAdpcmSampleDecoder>(channels, format.BlockAlign());
            return {};
        }
        catch (const std::invalid_argument&)
        {
            return Status::Failure("IMA ADPCM with an impossible block size of " +
                                   std::to_string(format.BlockAlign()) + " bytes");
        }
    }
    // The container size per sample comes from the block align: the bits
    // field may give only the valid bits (20 in a 3-byte sample, say).
    const std::size_t sampleBytes = format.BlockAlign() / channels;
    SampleCoding coding;
    if (format.BlockAlign() % channels != 0 || !CodingFor(tag, sampleBytes, coding))
    {
        return Status::Failure("unsupported WAV format " + TagText(tag) + " with " +
                               std::to_string(format.BitsPerSample()) + " bits per sample");
    }
    decoder =
        std::make_unique<CPcmSampleDecoder>(coding, channels, sampleBytes, format.BlockAlign());
    return {};
}

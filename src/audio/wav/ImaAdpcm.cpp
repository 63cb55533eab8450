#include "audio/wav/ImaAdpcm.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <stdexcept>

namespace
{
constexpr int kMaxStepIndex = 88;

constexpr std::array<int, kMaxStepIndex + 1> kStepSize = {
    7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
    25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
    88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
    307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
    1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
    3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
    12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

constexpr std::array<int, 8> kIndexAdjust = {-1, -1, -1, -1, 2, 4, 6, 8};

// A coder's state is the step index times 16, so that state + nibble picks a
// row of the table below with one add. A row holds everything the next sample
// needs, so the loops make one load per sample and never clamp the index.
constexpr std::size_t kStates = (kMaxStepIndex + 1) * 16;

struct Transition
{
    std::int32_t delta;     // signed change of the predictor
    std::uint16_t next;     // next state
    std::uint16_t nextStep; // step size of the next state
};

constexpr std::array<Transition, kStates> MakeTransitions()
{
    std::array<Transition, kStates> table{};
    for (int index = 0; index <= kMaxStepIndex; ++index)
        for (int nibble = 0; nibble < 16; ++nibble)
        {
            // The sum of truncated parts, as the classic decoder computes it.
            // Decoders that multiply instead land a few units off within a
            // block; matching this one keeps the encoder exact for most.
            const int step = kStepSize[index];
            int diff = step >> 3;
            if (nibble & 4)
                diff += step;
            if (nibble & 2)
                diff += step >> 1;
            if (nibble & 1)
                diff += step >> 2;
            const int to = std::clamp(index + kIndexAdjust[nibble & 7], 0, kMaxStepIndex);
            table[index * 16 + nibble] = {(nibble & 8) ? -diff : diff,
                                          static_cast<std::uint16_t>(to * 16),
                                          static_cast<std::uint16_t>(kStepSize[to])};
        }
    return table;
}

constexpr std::array<Transition, kStates> kTransitions = MakeTransitions();

// The state after a whole byte, looked up from the state and the two codes'
// magnitudes: the decoder's only serial dependency then takes one load per
// two samples.
constexpr std::size_t kByteStates = kStates * 4; // 64 magnitude pairs per index

constexpr std::array<std::uint16_t, kByteStates> MakeByteTransitions()
{
    std::array<std::uint16_t, kByteStates> table{};
    for (unsigned state = 0; state < kStates; state += 16)
        for (unsigned key = 0; key < 64; ++key)
        {
            const unsigned middle = kTransitions[state + (key & 7)].next;
            table[state * 4 + key] = kTransitions[middle + (key >> 3)].next;
        }
    return table;
}

constexpr std::array<std::uint16_t, kByteStates> kByteTransitions = MakeByteTransitions();

// Out of range only at the rails, so a branch that is nearly always
// predicted keeps the clamp off the loops' serial chain.
int ClampSample(int value)
{
    if (static_cast<unsigned>(value + 32768) > 65535u) [[unlikely]]
        value = value < 0 ? -32768 : 32767;
    return value;
}

int ReadSample(const std::uint8_t* p)
{
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(p[0] | p[1] << 8));
}

void WriteHeader(std::uint8_t* p, int sample, int stepIndex)
{
    const auto bits = static_cast<std::uint16_t>(sample);
    p[0] = static_cast<std::uint8_t>(bits & 0xFF);
    p[1] = static_cast<std::uint8_t>(bits >> 8);
    p[2] = static_cast<std::uint8_t>(stepIndex);
    p[3] = 0;
}

// One channel's coder state between samples; kept in locals by the loops.
struct Channel
{
    int predictor;
    unsigned state; // step index * 16
    int step;       // kStepSize of the state, at hand without a lookup
};

// Quantises one sample and advances the state exactly as a decoder would.
// Written as selects, which become conditional moves: the bits depend on the
// signal and branches on them would mispredict about half of the time.
inline unsigned EncodeSample(Channel& ch, int sample)
{
    const int step = ch.step;
    const int half = step >> 1;
    const int quarter = step >> 2;
    const int diff = sample - ch.predictor;
    const unsigned sign = diff < 0 ? 8u : 0u;
    int mag = diff < 0 ? -diff : diff;

    const bool b2 = mag >= step;
    mag = b2 ? mag - step : mag;
    const bool b1 = mag >= half;
    mag = b1 ? mag - half : mag;
    const bool b0 = mag >= quarter;
    const unsigned nibble = sign | static_cast<unsigned>(b2) << 2 | static_cast<unsigned>(b1) << 1 |
                            static_cast<unsigned>(b0);

    const Transition& t = kTransitions[ch.state + nibble];
    ch.predictor = ClampSample(ch.predictor + t.delta);
    ch.state = t.next;
    ch.step = t.nextStep;
    return nibble;
}

// Decodes the low then the high nibble of `byte`.
inline void DecodeByte(Channel& ch, unsigned byte, std::int16_t& first, std::int16_t& second)
{
    const Transition& low = kTransitions[ch.state + (byte & 15)];
    const Transition& high = kTransitions[low.next + (byte >> 4)];
    ch.state = kByteTransitions[ch.state * 4 + ((byte & 7) | (byte >> 1 & 0x38))];
    ch.predictor = ClampSample(ch.predictor + low.delta);
    first = static_cast<std::int16_t>(ch.predictor);
    ch.predictor = ClampSample(ch.predictor + high.delta);
    second = static_cast<std::int16_t>(ch.predictor);
}

// The whole channel loop is instantiated per channel count so the states stay
// in registers and the channels' dependency chains overlap.
template <unsigned Channels>
void EncodeGroups(Channel* state, const std::int16_t* frames, std::uint8_t* codes,
                  std::size_t groups)
{
    Channel ch[Channels];
    std::copy_n(state, Channels, ch);
    for (std::size_t g = 0; g < groups; ++g)
    {
        const std::int16_t* in = frames + g * 8 * Channels;
        std::uint8_t* out = codes + g * 4 * Channels;
        for (unsigned i = 0; i < 4; ++i)
            for (unsigned c = 0; c < Channels; ++c)
            {
                const unsigned lo = EncodeSample(ch[c], in[(2 * i) * Channels + c]);
                const unsigned hi = EncodeSample(ch[c], in[(2 * i + 1) * Channels + c]);
                out[4 * c + i] = static_cast<std::uint8_t>(lo | hi << 4);
            }
    }
    std::copy_n(ch, Channels, state);
}

template <unsigned Channels>
void DecodeGroups(const Channel* state, const std::uint8_t* codes, std::int16_t* frames,
                  std::size_t groups)
{
    Channel ch[Channels];
    std::copy_n(state, Channels, ch);
    for (std::size_t g = 0; g < groups; ++g)
    {
        const std::uint8_t* in = codes + g * 4 * Channels;
        std::int16_t* out = frames + g * 8 * Channels;
        for (unsigned i = 0; i < 4; ++i)
            for (unsigned c = 0; c < Channels; ++c)
                DecodeByte(ch[c], in[4 * c + i], out[(2 * i) * Channels + c],
                           out[(2 * i + 1) * Channels + c]);
    }
}

// Any channel count: one channel at a time, so the state stays in registers.
void DecodeGroupsAnyLayout(Channel& ch, unsigned channel, unsigned channels,
                           const std::uint8_t* codes, std::int16_t* frames, std::size_t groups)
{
    for (std::size_t g = 0; g < groups; ++g)
    {
        const std::uint8_t* in = codes + (g * channels + channel) * 4;
        std::int16_t* out = frames + g * 8 * channels + channel;
        for (unsigned i = 0; i < 4; ++i)
            DecodeByte(ch, in[i], out[(2 * i) * channels], out[(2 * i + 1) * channels]);
    }
}

// A starting step near the typical difference of the first samples, so the
// first block does not spend its opening samples climbing from the smallest.
int InitialStepIndex(const std::int16_t* frames, unsigned channel, unsigned channels,
                     std::size_t count)
{
    const std::size_t pairs = std::min<std::size_t>(count, 17) - 1;
    if (pairs == 0)
        return 0;
    long sum = 0;
    for (std::size_t i = 0; i < pairs; ++i)
    {
        const int a = frames[i * channels + channel];
        const int b = frames[(i + 1) * channels + channel];
        sum += std::abs(b - a);
    }
    const long mean = sum / static_cast<long>(pairs);
    int index = 0;
    while (index < kMaxStepIndex && kStepSize[index] < mean)
        ++index;
    return index;
}

std::size_t CheckedLayout(unsigned channels, unsigned maxChannels, std::size_t blockAlign)
{
    if (channels == 0 || channels > maxChannels)
        throw std::invalid_argument("IMA ADPCM: unsupported channel count");
    const std::size_t group = 4u * channels;
    if (blockAlign < 2 * group || blockAlign % group != 0)
        throw std::invalid_argument("IMA ADPCM: block align does not fit the channel layout");
    return ImaAdpcmSamplesPerBlock(channels, blockAlign);
}
} // namespace

std::size_t ImaAdpcmSamplesPerBlock(unsigned channels, std::size_t blockAlign)
{
    // Counts whole groups only, which is the same as the usual formula for
    // every valid layout and honest about the bytes a malformed one leaves.
    const std::size_t group = 4u * channels;
    if (channels == 0 || blockAlign < group)
        return 0;
    return (blockAlign - group) / group * 8 + 1;
}

CImaAdpcmEncoder::CImaAdpcmEncoder(unsigned channels, std::size_t blockAlign)
    : m_channels(channels), m_blockAlign(blockAlign),
      m_samplesPerBlock(CheckedLayout(channels, 2, blockAlign))
{
}

void CImaAdpcmEncoder::EncodeBlock(const std::int16_t* frames, std::uint8_t* block)
{
    const std::size_t groups = (m_samplesPerBlock - 1) / 8;
    if (!m_started)
    {
        for (unsigned c = 0; c < m_channels; ++c)
            m_stepIndex[c] = InitialStepIndex(frames, c, m_channels, m_samplesPerBlock);
        m_started = true;
    }

    // The header sample is the first sample, exactly; coding starts after it.
    Channel ch[2];
    for (unsigned c = 0; c < m_channels; ++c)
    {
        WriteHeader(block + 4 * c, frames[c], m_stepIndex[c]);
        ch[c] = {frames[c], static_cast<unsigned>(m_stepIndex[c]) * 16, kStepSize[m_stepIndex[c]]};
    }
    const std::int16_t* in = frames + m_channels;
    std::uint8_t* codes = block + 4 * m_channels;
    if (m_channels == 1)
        EncodeGroups<1>(ch, in, codes, groups);
    else
        EncodeGroups<2>(ch, in, codes, groups);

    for (unsigned c = 0; c < m_channels; ++c)
        m_stepIndex[c] = static_cast<int>(ch[c].state >> 4);
}

CImaAdpcmDecoder::CImaAdpcmDecoder(unsigned channels, std::size_t blockAlign)
    : m_channels(channels), m_blockAlign(blockAlign),
      m_samplesPerBlock(CheckedLayout(channels, 8, blockAlign))
{
}

std::size_t CImaAdpcmDecoder::DecodeBlock(const std::uint8_t* block, std::size_t size,
                                          std::int16_t* frames)
{
    const std::size_t group = 4u * m_channels;
    if (size < group)
        return 0;
    size = std::min(size, m_blockAlign);
    const std::size_t groups = (size - group) / group;

    Channel ch[8];
    for (unsigned c = 0; c < m_channels; ++c)
    {
        const std::uint8_t* header = block + 4 * c;
        const int index = std::min<int>(header[2], kMaxStepIndex);
        ch[c] = {ReadSample(header), static_cast<unsigned>(index) * 16, kStepSize[index]};
        frames[c] = static_cast<std::int16_t>(ch[c].predictor);
    }
    const std::uint8_t* codes = block + group;
    std::int16_t* out = frames + m_channels;
    if (m_channels == 1)
        DecodeGroups<1>(ch, codes, out, groups);
    else if (m_channels == 2)
        DecodeGroups<2>(ch, codes, out, groups);
    else
        for (unsigned c = 0; c < m_channels; ++c)
            DecodeGroupsAnyLayout(ch[c], c, m_channels, codes, out, groups);
    return 1 + groups * 8;
}

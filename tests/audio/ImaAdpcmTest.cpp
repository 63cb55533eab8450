#include "audio/wav/ImaAdpcm.h"

#include "support/WaveBuilder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <iostream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace
{
std::minstd_rand g_random(7);

// Encodes and decodes whole blocks; `pcm` holds a whole number of them.
std::vector<std::int16_t> RoundTrip(const std::vector<std::int16_t>& pcm, unsigned channels,
                                    std::size_t blockAlign)
{
    CImaAdpcmEncoder encoder(channels, blockAlign);
    CImaAdpcmDecoder decoder(channels, blockAlign);
    const std::size_t step = encoder.SamplesPerBlock() * channels;
    std::vector<std::uint8_t> block(blockAlign);
    std::vector<std::int16_t> out(pcm.size());
    for (std::size_t at = 0; at + step <= pcm.size(); at += step)
    {
        encoder.EncodeBlock(pcm.data() + at, block.data());
        EXPECT_EQ(decoder.DecodeBlock(block.data(), blockAlign, out.data() + at), step / channels);
    }
    return out;
}

} // namespace

TEST(ImaAdpcm, RoundTripKeepsTheSignal)
{
    // About three seconds of stereo, and a stretch of mono in small blocks.
    for (const auto& [channels, blockAlign, blocks] :
         {std::tuple{2u, 2048u, 65u}, {1u, 256u, 100u}})
    {
        const std::vector<std::int16_t> pcm =
            TestSignal(ImaAdpcmSamplesPerBlock(channels, blockAlign) * blocks, channels);
        const double snr = SnrDb(pcm, RoundTrip(pcm, channels, blockAlign));
        std::cout << "SNR with " << channels << " channels: " << snr << " dB\n";
        EXPECT_GT(snr, 34.0);
    }
}

TEST(ImaAdpcm, LayoutArithmeticAndRejectedLayouts)
{
    EXPECT_EQ(ImaAdpcmSamplesPerBlock(2, 2048), 2041u);
    EXPECT_EQ(ImaAdpcmSamplesPerBlock(2, 1024), 1017u);
    EXPECT_EQ(ImaAdpcmSamplesPerBlock(1, 256), 505u);
    EXPECT_EQ(ImaAdpcmSamplesPerBlock(6, 48), 9u);
    EXPECT_EQ(ImaAdpcmSamplesPerBlock(2, 7), 0u);

    EXPECT_THROW(CImaAdpcmEncoder(3, 48), std::invalid_argument);
    EXPECT_THROW(CImaAdpcmDecoder(0, 256), std::invalid_argument);
    EXPECT_THROW(CImaAdpcmDecoder(9, 72), std::invalid_argument);
    EXPECT_THROW(CImaAdpcmDecoder(2, 8), std::invalid_argument);    // headers only
    EXPECT_THROW(CImaAdpcmDecoder(2, 1020), std::invalid_argument); // not whole groups
    EXPECT_NO_THROW(CImaAdpcmDecoder(8, 64));
}

// Hand-worked block: catches nibble order and channel interleaving, which a
// round trip through a matching encoder would not.
TEST(ImaAdpcm, DecodesAKnownBlock)
{
    const std::uint8_t block[16] = {
        0x00, 0x00, 0, 0, // left: sample 0, index 0 (step 7)
        0xE8, 0x03, 9, 0, // right: sample 1000, index 9 (step 17)
        0x07, 0x08, 0, 0, // left codes 7 0 8 0 0 0 0 0
        0x04, 0x00, 0, 0, // right codes 4 0 0 ...
    };
    std::int16_t out[3 * 17] = {};
    ASSERT_EQ(CImaAdpcmDecoder(2, sizeof(block)).DecodeBlock(block, sizeof(block), out), 9u);
    // Left: 0, +11 (index 8, step 16), +2 (index 7, step 14), -1 (index 6, step 13).
    // Right: 1000, +2+17 (index 11, step 21), +2 (index 10).
    const std::int16_t expected[] = {0, 1000, 11, 1019, 13, 1021, 12};
    EXPECT_TRUE(std::equal(std::begin(expected), std::end(expected), out));

    // Three channels take the general path; each must match its mono decoding.
    std::uint8_t three[12 + 2 * 12];
    std::generate(std::begin(three), std::end(three),
                  [] { return static_cast<std::uint8_t>(g_random() >> 8); });
    ASSERT_EQ(CImaAdpcmDecoder(3, sizeof(three)).DecodeBlock(three, sizeof(three), out), 17u);
    for (unsigned c = 0; c < 3; ++c)
    {
        std::uint8_t mono[12];
        for (unsigned k = 0; k < 3; ++k)
            std::copy_n(three + 12 * k + 4 * c, 4, mono + 4 * k);
        std::int16_t alone[17];
        ASSERT_EQ(CImaAdpcmDecoder(1, sizeof(mono)).DecodeBlock(mono, sizeof(mono), alone), 17u);
        for (unsigned i = 0; i < 17; ++i)
            EXPECT_EQ(out[i * 3 + c], alone[i]) << c << " " << i;
    }
}

TEST(ImaAdpcm, ShortAndHostileBlocksStayInBounds)
{
    // Exactly sized heap blocks, so a read past `size` shows under a sanitizer.
    CImaAdpcmDecoder decoder(2, 1024);
    std::vector<std::int16_t> out(decoder.SamplesPerBlock() * 2, 0x5555);
    for (std::size_t size : {0, 7})
    {
        std::vector<std::uint8_t> block(size, 0);
        EXPECT_EQ(decoder.DecodeBlock(block.data(), size, out.data()), 0u);
    }
    // Headers, two whole groups and a partial third: 1 + 16 frames.
    std::vector<std::uint8_t> block(8 + 2 * 8 + 5, 0x77);
    block[2] = block[6] = 255; // step index out of the table
    EXPECT_EQ(decoder.DecodeBlock(block.data(), block.size(), out.data()), 17u);
    EXPECT_EQ(out[34], 0x5555); // nothing written beyond the frames returned
    // Step index 88 with the largest code drives the predictor to the rail.
    EXPECT_EQ(out[2], 32767);
    EXPECT_EQ(out[3], 32767);
}

TEST(ImaAdpcm, FullScaleSquareWaveDoesNotWrap)
{
    std::vector<std::int16_t> square(505 * 8);
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 20) % 2 ? std::int16_t{-32768} : std::int16_t{32767};
    const std::vector<std::int16_t> decoded = RoundTrip(square, 1, 256);
    // Past the first edge, which starts from the smallest step, and each
    // edge's first few samples, the output stays on the input's side.
    for (std::size_t i = 40; i < square.size(); ++i)
        ASSERT_TRUE(i % 20 < 4 || (decoded[i] < 0) == (square[i] < 0)) << i;
}

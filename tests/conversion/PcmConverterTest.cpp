#include "conversion/PcmConverter.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <vector>

namespace
{
using Samples = std::vector<std::int16_t>;

// Converts `input` (frames of `channels`) handing it over in blocks of
// `block` frames and taking the output in pieces of `room` frames, looping
// as a pipeline does until each block is used up, then flushing.
Samples ConvertAll(std::uint32_t rate, unsigned channels, const Samples& input, std::size_t block,
                   std::size_t room)
{
    CPcmConverter converter;
    EXPECT_TRUE(converter.SetSourceRate(rate));
    EXPECT_TRUE(converter.SetSourceChannels(channels));
    const std::size_t frames = input.size() / channels;
    Samples output, piece(room * 2);
    const auto take = [&](std::size_t produced)
    {
        output.insert(output.end(), piece.begin(),
                      piece.begin() + static_cast<std::ptrdiff_t>(produced * 2));
    };
    for (std::size_t at = 0; at < frames; at += block)
    {
        const std::size_t count = std::min(block, frames - at);
        converter.SetInput(input.data() + at * channels, count);
        std::size_t used = 0;
        do
        {
            converter.SetOutput(piece.data(), room);
            std::size_t consumed = 0, produced = 0;
            converter.Convert(&consumed, &produced);
            used += consumed;
            EXPECT_EQ(count - used, converter.InputLeft());
            take(produced);
        } while (converter.InputLeft() > 0);
    }
    for (;;)
    {
        converter.SetOutput(piece.data(), room);
        const std::size_t produced = converter.Flush();
        if (produced == 0)
            break;
        take(produced);
    }
    return output;
}

// A sine of `hz` at `rate`, `amplitude` of full scale; the right channel
// (when there is one) runs a quarter turn behind.
Samples Sine(double hz, std::uint32_t rate, unsigned channels, std::size_t frames,
             double amplitude = 0.5)
{
    Samples sine;
    sine.reserve(frames * channels);
    for (std::size_t i = 0; i < frames; ++i)
        for (unsigned c = 0; c < channels; ++c)
        {
            const double phase = 2 * std::numbers::pi * hz * double(i) / rate - c * 1.5707963;
            sine.push_back(
                static_cast<std::int16_t>(std::lrint(32767 * amplitude * std::sin(phase))));
        }
    return sine;
}

// Largest sample magnitude of the left channel between two frames.
int Peak(const Samples& stereo, std::size_t from, std::size_t to)
{
    int peak = 0;
    for (std::size_t i = from; i < to; ++i)
        peak = std::max(peak, std::abs(int(stereo[2 * i])));
    return peak;
}

struct Resampling
{
    std::uint32_t rate;
    unsigned channels;
};

class PcmConverterRates : public testing::TestWithParam<Resampling>
{
};

// Blocks of any size join exactly: the output of many small blocks taken in
// small pieces is the output of one block, sample for sample, and it lasts
// exactly as long as the input.
TEST_P(PcmConverterRates, JoinsBlocksExactlyAndKeepsTheLength)
{
    const auto [rate, channels] = GetParam();
    const std::size_t frames = rate / 2 + 17;
    const Samples input = Sine(std::min(1000.0, rate / 8.0), rate, channels, frames);
    const Samples whole = ConvertAll(rate, channels, input, frames, 1 << 20);
    EXPECT_EQ(whole, ConvertAll(rate, channels, input, 4099, 333));
    EXPECT_EQ(whole, ConvertAll(rate, channels, input, 1, 7));

    const double expected = std::round(double(frames) * 44100 / rate);
    EXPECT_NEAR(expected, double(whole.size() / 2), 1.0);
    // The tone keeps its level through the middle of the file.
    const std::size_t out = whole.size() / 2;
    EXPECT_NEAR(0.5 * 32767, Peak(whole, out / 4, out * 3 / 4), 0.01 * 32767);
    for (std::size_t i = 0; channels == 1 && i < out; ++i)
        ASSERT_EQ(whole[2 * i], whole[2 * i + 1]) << "frame " << i;
    if (rate == 44100 && channels == 2)
    {
        EXPECT_EQ(whole, input) << "CD audio passes through untouched";
    }
}

INSTANTIATE_TEST_SUITE_P(Rates, PcmConverterRates,
                         testing::Values(Resampling{44100, 2}, Resampling{44100, 1},
                                         Resampling{1000, 1}, Resampling{8000, 1},
                                         Resampling{11025, 2}, Resampling{22050, 1},
                                         Resampling{48000, 2}, Resampling{96000, 2},
                                         Resampling{192000, 1}, Resampling{768000, 2}),
                         [](const auto& test)
                         {
                             return std::to_string(test.param.rate) + "Hz" +
                                    (test.param.channels == 1 ? "Mono" : "Stereo");
                         });

// Above 22.05 kHz nothing may fold back into the audible band.
TEST(PcmConverter, RemovesToneAboveTheTargetBand)
{
    const std::uint32_t rate = 96000;
    const Samples output = ConvertAll(rate, 2, Sine(30000, rate, 2, rate, 0.9), 32768, 8192);
    const std::size_t frames = output.size() / 2;
    // Away from the ends, where the tone starts and stops abruptly.
    EXPECT_LE(Peak(output, frames / 10, frames * 9 / 10), 1);
}

// Hours of a low rate come out exactly as long, with no drift: the length
// is what the rates say to the frame.
TEST(PcmConverter, KeepsTheLengthOfHoursOfLowRateAudio)
{
    const std::uint32_t rate = 8000;
    const std::size_t block = 16384, blocks = 2 * 3600 * rate / block; // two hours
    const Samples input = Sine(440, rate, 1, block);
    CPcmConverter converter;
    ASSERT_TRUE(converter.SetSourceRate(rate));
    ASSERT_TRUE(converter.SetSourceChannels(1));
    Samples output(2 * 131072);
    std::uint64_t produced = 0;
    for (std::size_t b = 0; b < blocks; ++b)
    {
        converter.SetInput(input.data(), block);
        while (converter.InputLeft() > 0)
        {
            converter.SetOutput(output.data(), 131072);
            std::size_t made = 0;
            converter.Convert(nullptr, &made);
            produced += made;
        }
    }
    for (std::size_t made = 1; made > 0; produced += made)
    {
        converter.SetOutput(output.data(), 131072);
        made = converter.Flush();
    }
    const std::uint64_t expected = std::uint64_t{blocks} * block * 44100 / rate;
    EXPECT_NEAR(double(expected), double(produced), 1.0);
}

TEST(PcmConverter, RejectedRatesAndChannelsKeepThePreviousValues)
{
    CPcmConverter converter;
    EXPECT_FALSE(converter.SetSourceRate(999));
    EXPECT_FALSE(converter.SetSourceRate(768001));
    EXPECT_FALSE(converter.SetSourceChannels(0));
    EXPECT_FALSE(converter.SetSourceChannels(3));
    EXPECT_TRUE(converter.SetSourceRate(1000));
    EXPECT_TRUE(converter.SetSourceRate(768000));

    // Still 48000 Hz stereo after the refusals below.
    ASSERT_TRUE(converter.SetSourceRate(48000));
    EXPECT_FALSE(converter.SetSourceRate(0));
    EXPECT_FALSE(converter.SetSourceChannels(6));
    const Samples input = Sine(1000, 48000, 2, 48000);
    Samples output(2 * 50000);
    std::size_t consumed = 0, produced = 0;
    converter.SetInput(input.data(), 48000);
    converter.SetOutput(output.data(), 50000);
    converter.Convert(&consumed, &produced);
    const std::size_t flushed = converter.Flush();
    EXPECT_EQ(48000u, consumed);
    EXPECT_NEAR(44100.0, double(produced + flushed), 1.0);

    converter.Reset(); // 44100 Hz stereo again: a plain copy
    converter.SetInput(input.data(), 100);
    converter.SetOutput(output.data(), 100);
    converter.Convert(&consumed, &produced);
    EXPECT_EQ(100u, produced);
    EXPECT_TRUE(std::equal(input.begin(), input.begin() + 200, output.begin()));
}

} // namespace

#include "conversion/PcmConverter.h"

#include "support/WaveBuilder.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

namespace
{
using Samples = std::vector<std::int16_t>;

// Converts `input` (frames of `channels`) handing it over in blocks of
// `block` frames and taking the output in pieces of `room` frames, looping
// as a pipeline does until each block is used up.
Samples ConvertAll(std::uint32_t rate, unsigned channels, const Samples& input, std::size_t block,
                   std::size_t room)
{
    CPcmConverter converter;
    EXPECT_TRUE(converter.SetSourceRate(rate));
    EXPECT_TRUE(converter.SetSourceChannels(channels));
    const std::size_t frames = input.size() / channels;
    Samples output, piece(room * 2);
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
            output.insert(output.end(), piece.begin(),
                          piece.begin() + static_cast<std::ptrdiff_t>(produced * 2));
        } while (converter.InputLeft() > 0);
    }
    return output;
}

// A rising line, two steps per frame, so that interpolating halfway between
// frames shows as an odd value; the right channel sits one above the left.
Samples Ramp(std::size_t frames, unsigned channels)
{
    Samples ramp;
    for (std::size_t i = 0; i < frames; ++i)
        for (unsigned c = 0; c < channels; ++c)
            ramp.push_back(static_cast<std::int16_t>(2 * static_cast<int>(i) - 16384 + int(c)));
    return ramp;
}

std::uint64_t Step(std::uint32_t rate)
{
    return std::uint64_t{rate} * 65536 / 44100;
}

struct Resampling
{
    std::uint32_t rate;
    unsigned channels;
};

void PrintTo(const Resampling& test, std::ostream* out)
{
    *out << test.rate << " Hz, " << test.channels << " channel(s)";
}

class PcmConverterRates : public testing::TestWithParam<Resampling>
{
};

// Output frame j lies at j * step in the input (16.16); its value is the
// straight line between the two frames around it. Only where the second of
// them lies in the next block is the first taken as it is. At 44100 Hz the
// step is one frame: a plain copy, mono doubled.
TEST_P(PcmConverterRates, FollowsTheSourceAcrossBlocksAndFullOutputs)
{
    const auto [rate, channels] = GetParam();
    const std::size_t frames = 16384, block = 4099;
    const Samples output = ConvertAll(rate, channels, Ramp(frames, channels), block, 333);

    const std::uint64_t step = Step(rate);
    const std::uint64_t expectedFrames = (frames * 65536 + step - 1) / step;
    ASSERT_EQ(expectedFrames * 2, output.size());
    // 16.16 steps are cut short by less than 1/65536 frame each.
    EXPECT_NEAR(double(frames) * 44100 / rate, double(expectedFrames),
                1.0 + double(expectedFrames) / 10000);
    for (std::size_t j = 0; j < expectedFrames; ++j)
    {
        const std::uint64_t at = j * step;
        const std::uint64_t whole = at >> 16, fraction = at & 0xFFFF;
        const bool lastOfBlock = whole % block == block - 1 || whole == frames - 1;
        const int left = 2 * int(whole) - 16384 + (lastOfBlock ? 0 : int(fraction >> 15));
        ASSERT_EQ(left, output[2 * j]) << "frame " << j;
        ASSERT_EQ(channels == 2 ? left + 1 : left, output[2 * j + 1]) << "frame " << j;
    }
}

// The output taken in small pieces is the same as taken at once: nothing of
// the input is lost when the output runs full.
TEST_P(PcmConverterRates, KeepsTheInputThatDidNotFit)
{
    const auto [rate, channels] = GetParam();
    const Samples input = TestSignal(20000, channels);
    EXPECT_EQ(ConvertAll(rate, channels, input, 20000, 1 << 20),
              ConvertAll(rate, channels, input, 20000, 97));
}

INSTANTIATE_TEST_SUITE_P(Rates, PcmConverterRates,
                         testing::Values(Resampling{44100, 2}, Resampling{44100, 1},
                                         Resampling{8000, 1}, Resampling{11025, 2},
                                         Resampling{22050, 1}, Resampling{32000, 2},
                                         Resampling{48000, 2}, Resampling{48000, 1},
                                         Resampling{88200, 2}, Resampling{96000, 2},
                                         Resampling{192000, 1}, Resampling{384000, 2}),
                         [](const auto& test)
                         {
                             return std::to_string(test.param.rate) + "Hz" +
                                    (test.param.channels == 1 ? "Mono" : "Stereo");
                         });

TEST(PcmConverter, RejectedRatesAndChannelsKeepThePreviousValues)
{
    CPcmConverter converter;
    EXPECT_FALSE(converter.SetSourceRate(99));
    EXPECT_FALSE(converter.SetSourceRate(384001));
    EXPECT_FALSE(converter.SetSourceChannels(0));
    EXPECT_FALSE(converter.SetSourceChannels(3));
    EXPECT_TRUE(converter.SetSourceRate(100));
    EXPECT_TRUE(converter.SetSourceRate(384000));

    // Still stereo: 48000 Hz after the refusals below.
    ASSERT_TRUE(converter.SetSourceRate(48000));
    EXPECT_FALSE(converter.SetSourceRate(0));
    EXPECT_FALSE(converter.SetSourceChannels(6));
    const Samples input = TestSignal(8192, 2);
    Samples output(2 * 10000);
    std::size_t consumed = 0, produced = 0;
    converter.SetInput(input.data(), 8192);
    converter.SetOutput(output.data(), 10000);
    converter.Convert(&consumed, &produced);
    EXPECT_EQ(8192u, consumed);
    EXPECT_EQ(7527u, produced);

    converter.Reset(); // 44100 Hz stereo again: a plain copy
    converter.SetInput(input.data(), 100);
    converter.SetOutput(output.data(), 100);
    converter.Convert(&consumed, &produced);
    EXPECT_EQ(100u, produced);
    EXPECT_TRUE(std::equal(input.begin(), input.begin() + 200, output.begin()));
}

} // namespace

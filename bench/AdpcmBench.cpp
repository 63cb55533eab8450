// Speed of the IMA ADPCM codec on ten seconds of 44.1 kHz stereo, as a
// real-time factor. With `--encode IN.wav OUT.wav` it converts a 44.1 kHz
// stereo WAV file instead, so whole-program timings can sit beside other
// encoders.

#include "audio/wav/AudioWaveFile.h"
#include "audio/wav/ImaAdpcm.h"
#include "io/FileException.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
constexpr unsigned kRate = 44100;
constexpr unsigned kChannels = 2;
constexpr std::size_t kSeconds = 10;
constexpr std::size_t kBlockAlign = 2048;

// Chords and a little noise, different in each ear and swelling, so the step
// index keeps moving as it would on music.
std::vector<std::int16_t> Music(std::size_t frames)
{
    std::vector<std::int16_t> pcm(frames * kChannels);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const double swell = 0.6 + 0.4 * std::sin(6.2831853 * 0.5 * t);
        for (unsigned c = 0; c < kChannels; ++c)
        {
            const double base = c == 0 ? 220.0 : 329.6;
            double v = 0.35 * std::sin(6.2831853 * base * t) +
                       0.2 * std::sin(6.2831853 * base * 1.26 * t) +
                       0.1 * std::sin(6.2831853 * base * 3.0 * t);
            noise = noise * 1664525u + 1013904223u;
            v += 0.03 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
            pcm[i * kChannels + c] = static_cast<std::int16_t>(std::lround(v * swell * 32767.0));
        }
    }
    return pcm;
}

const std::vector<std::int16_t>& TenSeconds()
{
    static const std::vector<std::int16_t> pcm = Music(kRate * kSeconds);
    return pcm;
}

std::size_t BlockCount(std::size_t frames, std::size_t samplesPerBlock)
{
    return (frames + samplesPerBlock - 1) / samplesPerBlock;
}

// Whole blocks only: the input is padded with its last frame up to a block.
std::vector<std::uint8_t> Encode(std::vector<std::int16_t> pcm, unsigned channels)
{
    CImaAdpcmEncoder encoder(channels, kBlockAlign / 2 * channels);
    const std::size_t frames = pcm.size() / channels;
    const std::size_t blocks = BlockCount(frames, encoder.SamplesPerBlock());
    pcm.resize(blocks * encoder.SamplesPerBlock() * channels);
    for (std::size_t i = frames; i < blocks * encoder.SamplesPerBlock(); ++i)
        for (unsigned c = 0; c < channels; ++c)
            pcm[i * channels + c] = pcm[(frames - 1) * channels + c];
    std::vector<std::uint8_t> out(blocks * encoder.BlockAlign());
    for (std::size_t b = 0; b < blocks; ++b)
        encoder.EncodeBlock(pcm.data() + b * encoder.SamplesPerBlock() * channels,
                            out.data() + b * encoder.BlockAlign());
    return out;
}

void EncodeStereo(benchmark::State& state)
{
    const std::vector<std::int16_t>& pcm = TenSeconds();
    CImaAdpcmEncoder encoder(kChannels, kBlockAlign);
    const std::size_t blocks = pcm.size() / kChannels / encoder.SamplesPerBlock();
    std::vector<std::uint8_t> out(blocks * kBlockAlign);
    for (auto _ : state)
    {
        for (std::size_t b = 0; b < blocks; ++b)
            encoder.EncodeBlock(pcm.data() + b * encoder.SamplesPerBlock() * kChannels,
                                out.data() + b * kBlockAlign);
        benchmark::ClobberMemory();
    }
    const double seconds = static_cast<double>(blocks * encoder.SamplesPerBlock()) / kRate;
    state.counters["x_realtime"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void DecodeStereo(benchmark::State& state)
{
    const std::vector<std::uint8_t> adpcm = Encode(TenSeconds(), kChannels);
    CImaAdpcmDecoder decoder(kChannels, kBlockAlign);
    const std::size_t blocks = adpcm.size() / kBlockAlign;
    std::vector<std::int16_t> pcm(blocks * decoder.SamplesPerBlock() * kChannels);
    for (auto _ : state)
    {
        for (std::size_t b = 0; b < blocks; ++b)
            decoder.DecodeBlock(adpcm.data() + b * kBlockAlign, kBlockAlign,
                                pcm.data() + b * decoder.SamplesPerBlock() * kChannels);
        benchmark::ClobberMemory();
    }
    const double seconds = static_cast<double>(blocks * decoder.SamplesPerBlock()) / kRate;
    state.counters["x_realtime"] = benchmark::Counter(
        seconds * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Converts a 44.1 kHz stereo WAV file to IMA ADPCM through the product's own
// WAV reading and writing, the path a conversion takes.
int EncodeFile(const char* inPath, const char* outPath)
{
    CAudioWaveFile in;
    in.SetPath(inPath);
    if (Status decoding = in.BeginDecoding();
        !decoding || in.GetSampleRate() != kRate || in.GetChannels() != kChannels)
    {
        std::fprintf(stderr, "%s: not a 44.1 kHz stereo WAV file %s\n", inPath,
                     decoding.Reason().c_str());
        return 1;
    }
    try
    {
        CAudioWaveFile out;
        out.CreateForWriting(outPath, CWaveFormat::ImaAdpcm44100Stereo());
        std::vector<std::uint8_t> block(32768);
        std::int32_t got;
        while ((got = in.Read(2048, 16, block.data(), block.size())) > 0)
            out.WriteData(block.data(), static_cast<std::size_t>(got));
        out.CloseWriting();
    }
    catch (const CFileException& error)
    {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
} // namespace

BENCHMARK(EncodeStereo)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeStereo)->Unit(benchmark::kMillisecond);

// The library's own entry point, renamed so that main can take the file
// mode first.
#define main RunBenchmarks
BENCHMARK_MAIN();
#undef main

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--encode") == 0)
        return EncodeFile(argv[2], argv[3]);
    return RunBenchmarks(argc, argv);
}

// Speed of the IMA ADPCM codec on ten seconds of 44.1 kHz stereo, as a
// real-time factor. With `--encode IN.wav OUT.wav` it converts a 16-bit PCM
// file instead, so whole-program timings can sit beside other encoders.

#include "audio/wav/ImaAdpcm.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
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

std::uint32_t Get(const std::vector<std::uint8_t>& d, std::size_t at, unsigned bytes)
{
    std::uint32_t value = 0;
    for (unsigned i = 0; i < bytes; ++i)
        value |= static_cast<std::uint32_t>(d[at + i]) << (8 * i);
    return value;
}

void Put(std::vector<std::uint8_t>& d, std::uint32_t value, unsigned bytes)
{
    for (unsigned i = 0; i < bytes; ++i)
        d.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void PutTag(std::vector<std::uint8_t>& d, const char* tag)
{
    d.insert(d.end(), tag, tag + 4);
}

// Reads a 16-bit PCM WAV file of one or two channels; false when it is not one.
bool ReadPcmWav(const char* path, std::vector<std::int16_t>& pcm, unsigned& channels,
                unsigned& rate)
{
    std::ifstream file(path, std::ios::binary | std::ios::ate);
    if (!file)
        return false;
    std::vector<std::uint8_t> d(static_cast<std::size_t>(file.tellg()));
    file.seekg(0);
    if (!file.read(reinterpret_cast<char*>(d.data()), static_cast<std::streamsize>(d.size())))
        return false;
    if (d.size() < 12 || std::memcmp(d.data(), "RIFF", 4) != 0 ||
        std::memcmp(d.data() + 8, "WAVE", 4) != 0)
        return false;
    bool haveFormat = false;
    for (std::size_t at = 12; d.size() - at >= 8;)
    {
        const std::size_t size = Get(d, at + 4, 4);
        const std::size_t body = at + 8;
        const std::size_t present = std::min(size, d.size() - body);
        if (std::memcmp(d.data() + at, "fmt ", 4) == 0 && present >= 16)
        {
            const std::uint32_t tag = Get(d, body, 2);
            channels = Get(d, body + 2, 2);
            rate = Get(d, body + 4, 4);
            haveFormat = (tag == 1 || tag == 0xFFFE) && Get(d, body + 14, 2) == 16 &&
                         (channels == 1 || channels == 2);
        }
        else if (std::memcmp(d.data() + at, "data", 4) == 0 && haveFormat)
        {
            pcm.resize(present / (2 * channels) * channels);
            std::memcpy(pcm.data(), d.data() + body, pcm.size() * 2); // little-endian host
            return true;
        }
        if (present < size)
            break;
        at = body + size + (size & 1);
    }
    return false;
}

int EncodeFile(const char* inPath, const char* outPath)
{
    std::vector<std::int16_t> pcm;
    unsigned channels = 0;
    unsigned rate = 0;
    if (!ReadPcmWav(inPath, pcm, channels, rate))
    {
        std::fprintf(stderr, "%s: not a 16-bit PCM WAV file of one or two channels\n", inPath);
        return 1;
    }
    const std::size_t frames = pcm.size() / channels;
    const std::size_t blockAlign = kBlockAlign / 2 * channels;
    const std::size_t samplesPerBlock = ImaAdpcmSamplesPerBlock(channels, blockAlign);
    const std::vector<std::uint8_t> data = Encode(std::move(pcm), channels);

    std::vector<std::uint8_t> wav;
    PutTag(wav, "RIFF");
    Put(wav, static_cast<std::uint32_t>(4 + 28 + 12 + 8 + data.size()), 4);
    PutTag(wav, "WAVE");
    PutTag(wav, "fmt ");
    Put(wav, 20, 4);
    Put(wav, 0x11, 2);
    Put(wav, channels, 2);
    Put(wav, rate, 4);
    Put(wav, static_cast<std::uint32_t>(rate * blockAlign / samplesPerBlock), 4);
    Put(wav, static_cast<std::uint32_t>(blockAlign), 2);
    Put(wav, 4, 2);
    Put(wav, 2, 2); // extra bytes: the samples per block
    Put(wav, static_cast<std::uint32_t>(samplesPerBlock), 2);
    PutTag(wav, "fact");
    Put(wav, 4, 4);
    Put(wav, static_cast<std::uint32_t>(frames), 4);
    PutTag(wav, "data");
    Put(wav, static_cast<std::uint32_t>(data.size()), 4);

    std::ofstream out(outPath, std::ios::binary);
    out.write(reinterpret_cast<const char*>(wav.data()), static_cast<std::streamsize>(wav.size()));
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    if (!out.flush())
    {
        std::fprintf(stderr, "%s: cannot write\n", outPath);
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

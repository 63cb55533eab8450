// Speed of Ogg Vorbis encoding through the product's own classes, as a
// real-time factor, in each bit-rate mode, of rewriting the comment header
// and of opening a file as the working list does. File modes let whole-program timings sit beside
// other tools:
//   --encode IN.wav OUT.ogg MODE   MODE: cbr160, managed160 or q5
//   --retag FILE.ogg               rewrites TITLE, ARTIST and ALBUM in place

#include "audio/ogg/AudioOggFile.h"
#include "audio/ogg/OggCommentRewriter.h"
#include "audio/wav/AudioWaveFile.h"
#include "io/FileException.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
constexpr unsigned kRate = 44100;
constexpr std::size_t kSeconds = 10;

// The three settings compared with the reference encoder: a constant 160,
// the range 128 / 160 / 192, and quality 0.5.
bool ContextFor(const std::string& mode, OggEncodeContext& context)
{
    context = OggEncodeContext{};
    if (mode == "cbr160")
        return true;
    if (mode == "managed160")
    {
        context.managedFlag = 1;
        return true;
    }
    if (mode == "q5")
    {
        context.qualityFlag = 1;
        context.qualityIndex = 10;
        return true;
    }
    return false;
}

// Chords and a little noise, different in each ear and swelling.
std::vector<std::uint8_t> Music(std::size_t frames)
{
    std::vector<std::uint8_t> pcm(frames * 4);
    std::uint32_t noise = 12345;
    for (std::size_t i = 0; i < frames; ++i)
    {
        const double t = static_cast<double>(i) / kRate;
        const double swell = 0.6 + 0.4 * std::sin(6.2831853 * 0.5 * t);
        for (unsigned c = 0; c < 2; ++c)
        {
            const double base = c == 0 ? 220.0 : 329.6;
            double v = 0.35 * std::sin(6.2831853 * base * t) +
                       0.2 * std::sin(6.2831853 * base * 1.26 * t) +
                       0.1 * std::sin(6.2831853 * base * 3.0 * t);
            noise = noise * 1664525u + 1013904223u;
            v += 0.03 * (static_cast<double>(noise >> 8) / 8388608.0 - 1.0);
            const auto sample = static_cast<std::int16_t>(std::lround(v * swell * 32767.0));
            pcm[i * 4 + c * 2] = static_cast<std::uint8_t>(sample & 0xFF);
            pcm[i * 4 + c * 2 + 1] = static_cast<std::uint8_t>((sample >> 8) & 0xFF);
        }
    }
    return pcm;
}

const std::vector<std::uint8_t>& TenSeconds()
{
    static const std::vector<std::uint8_t> pcm = Music(kRate * kSeconds);
    return pcm;
}

std::string TempPath(const char* name)
{
    return (std::filesystem::temp_directory_path() / name).string();
}

void Encode(benchmark::State& state, const std::string& mode)
{
    OggEncodeContext context;
    ContextFor(mode, context);
    const std::vector<std::uint8_t>& pcm = TenSeconds();
    const std::string path = TempPath("tw-bench.ogg");
    for (auto _ : state)
    {
        CAudioOggFile file;
        file.BeginEncoding(path, context);
        for (std::size_t at = 0; at < pcm.size(); at += 32768)
            file.EncodeData(pcm.data() + at, std::min<std::size_t>(32768, pcm.size() - at));
        file.EncodeData(nullptr, 0);
        file.EndEncoding();
    }
    std::filesystem::remove(path);
    state.counters["x_realtime"] = benchmark::Counter(
        static_cast<double>(kSeconds * state.iterations()), benchmark::Counter::kIsRate);
}

void Retag(benchmark::State& state)
{
    const std::string path = TempPath("tw-bench-retag.ogg");
    {
        CAudioOggFile file;
        OggEncodeContext context;
        file.BeginEncoding(path, context);
        file.EncodeData(TenSeconds().data(), TenSeconds().size());
        file.EndEncoding();
    }
    const auto bytes = std::filesystem::file_size(path);
    for (auto _ : state)
        if (Status rewritten =
                RewriteVorbisComments(path, {{"TITLE", "Title"}, {"ARTIST", "Artist"}});
            !rewritten)
            state.SkipWithError(rewritten.Reason().c_str());
    std::filesystem::remove(path);
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes * state.iterations()));
}

// Opening reads the headers and the length: it must not grow with the file,
// since a collection of thousands is opened file by file.
void OpenForList(benchmark::State& state)
{
    const std::string path = TempPath("tw-bench-open.ogg");
    {
        CAudioOggFile file;
        file.BeginEncoding(path, OggEncodeContext{});
        for (std::int64_t i = 0; i < state.range(0); ++i)
            file.EncodeData(TenSeconds().data(), TenSeconds().size());
        file.EndEncoding();
    }
    for (auto _ : state)
    {
        CAudioOggFile file;
        file.SetPath(path);
        if (!file.IsValid() || file.GetLength() <= 0)
            state.SkipWithError("the file does not open");
    }
    std::filesystem::remove(path);
}

// Converts a 44.1 kHz stereo WAV file to Ogg Vorbis through the product's
// own classes, in the pipeline's 32768-byte blocks.
int EncodeFile(const char* inPath, const char* outPath, const char* mode)
{
    OggEncodeContext context;
    if (!ContextFor(mode, context))
    {
        std::fprintf(stderr, "unknown mode %s (cbr160, managed160, q5)\n", mode);
        return 2;
    }
    CAudioWaveFile in;
    in.SetPath(inPath);
    if (Status decoding = in.BeginDecoding();
        !decoding || in.GetSampleRate() != kRate || in.GetChannels() != 2)
    {
        std::fprintf(stderr, "%s: not a 44.1 kHz stereo WAV file %s\n", inPath,
                     decoding.Reason().c_str());
        return 1;
    }
    CAudioOggFile out;
    try
    {
        out.BeginEncoding(outPath, context);
        std::vector<std::uint8_t> block(32768);
        std::int32_t got;
        while ((got = in.Read(2048, 16, block.data(), block.size())) > 0)
            out.EncodeData(block.data(), static_cast<std::size_t>(got));
        out.EncodeData(nullptr, 0);
        out.EndEncoding();
    }
    catch (const CFileException& error)
    {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

int RetagFile(const char* path)
{
    CAudioOggFile file;
    file.SetPath(path);
    if (Status failed = file.Validate(); !failed)
    {
        std::fprintf(stderr, "%s: %s\n", path, failed.Reason().c_str());
        return 1;
    }
    file.SetTitle("Benchmark Title");
    file.SetArtist("Benchmark Artist");
    file.SetAlbum("Benchmark Album");
    if (Status failed = file.WriteTags(); !failed)
    {
        std::fprintf(stderr, "%s: %s\n", path, failed.Reason().c_str());
        return 1;
    }
    return 0;
}
} // namespace

BENCHMARK_CAPTURE(Encode, Constant160, std::string("cbr160"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, Managed160, std::string("managed160"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Encode, Quality5, std::string("q5"))->Unit(benchmark::kMillisecond);
BENCHMARK(Retag)->Unit(benchmark::kMillisecond);
// 10 s and 5 min of audio.
BENCHMARK(OpenForList)->Arg(1)->Arg(30)->Unit(benchmark::kMicrosecond);

// The library's own entry point, renamed so that main can take the file
// modes first.
#define main RunBenchmarks
BENCHMARK_MAIN();
#undef main

int main(int argc, char** argv)
{
    if (argc == 5 && std::strcmp(argv[1], "--encode") == 0)
        return EncodeFile(argv[2], argv[3], argv[4]);
    if (argc == 3 && std::strcmp(argv[1], "--retag") == 0)
        return RetagFile(argv[2]);
    return RunBenchmarks(argc, argv);
}

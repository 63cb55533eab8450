// Speed of the MP3 walk over a large file in the page cache, beside the speed
// of merely reading that file.

#include "FrameFile.h"
#include "check/MP3Check.h"
#include "io/ByteReader.h"
#include "io/InputFile.h"

#include <benchmark/benchmark.h>
#include <filesystem>
#include <stdexcept>

namespace
{
constexpr std::uint64_t kFileBytes = 200 * 1000 * 1000;

const std::string& FrameFile(bool variableBitrate)
{
    static const std::string paths[2] = {
        (std::filesystem::temp_directory_path() / "tw-bench-cbr.mp3").string(),
        (std::filesystem::temp_directory_path() / "tw-bench-vbr.mp3").string()};
    const std::string& path = paths[variableBitrate ? 1 : 0];
    std::error_code error;
    if (std::filesystem::file_size(path, error) + 2000 < kFileBytes || error)
        if (!WriteFrameFile(path, kFileBytes, variableBitrate))
            throw std::runtime_error("cannot write " + path);
    return path;
}

void WalkFile(benchmark::State& state)
{
    const std::string& path = FrameFile(state.range(0) != 0);
    for (auto _ : state)
    {
        CMP3Check check;
        if (!check.CheckFile(path, nullptr))
            state.SkipWithError("the generated file was not sound");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

// Reads every byte in the walk's block size and does nothing else.
void ReadFile(benchmark::State& state)
{
    const std::string& path = FrameFile(state.range(0) != 0);
    std::vector<std::uint8_t> buffer(CByteReader::kDefaultBufferSize);
    for (auto _ : state)
    {
        CInputFile file;
        if (!file.Open(path))
            return;
        while (file.Read(buffer.data(), buffer.size()) > 0)
            benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(std::filesystem::file_size(path)));
}

void DecodeHeader(benchmark::State& state)
{
    std::uint32_t word = 0xFFFB9064u;
    for (auto _ : state)
    {
        MP3FrameInfo frame;
        benchmark::DoNotOptimize(CMP3Check::DecodeHeader(word, frame));
        word ^= 0x0000F200u; // alternate bitrate and padding
    }
}
} // namespace

BENCHMARK(WalkFile)->ArgName("vbr")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFile)->ArgName("vbr")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(DecodeHeader);

BENCHMARK_MAIN();

// tw-mp3-tool --encode IN.wav OUT.mp3 | --decode IN.mp3 OUT.wav
// Converts through the product's own audio classes, so that whole-program
// timings can sit beside the command-line tools built on the same libraries.

#include "audio/mpeg/AudioMpegFile.h"
#include "audio/wav/AudioWaveFile.h"
#include "io/FileException.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace
{
constexpr std::size_t kBlock = 32768;

int Encode(const char* inPath, const char* outPath)
{
    CAudioWaveFile in;
    in.SetPath(inPath);
    if (Status decoding = in.BeginDecoding();
        !decoding || in.GetSampleRate() != 44100 || in.GetChannels() != 2)
    {
        std::fprintf(stderr, "%s: not a 44.1 kHz stereo WAV file %s\n", inPath,
                     decoding.Reason().c_str());
        return 1;
    }
    CAudioMpegFile out;
    out.BeginEncoding(outPath, {"", "", "", 128, 5, false},
                      static_cast<std::uint64_t>(in.GetLength() + 400) * 441 / 10);
    std::vector<std::uint8_t> block(kBlock);
    std::int32_t got;
    while ((got = in.Read(2048, 16, block.data(), block.size())) > 0)
        out.EncodeData(block.data(), static_cast<std::size_t>(got));
    out.EndEncoding();
    return 0;
}

int Decode(const char* inPath, const char* outPath)
{
    CAudioMpegFile in;
    in.SetPath(inPath);
    if (Status failed = in.BeginDecoding(); !failed)
    {
        std::fprintf(stderr, "%s: %s\n", inPath, failed.Reason().c_str());
        return 1;
    }
    CAudioWaveFile out;
    out.CreateForWriting(outPath, CWaveFormat::Pcm44100Stereo());
    std::vector<std::uint8_t> block(kBlock);
    std::int32_t got;
    while ((got = in.Read(2048, 16, block.data(), block.size())) > 0)
        out.WriteData(block.data(), static_cast<std::size_t>(got));
    out.CloseWriting();
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 4)
    {
        std::fprintf(stderr, "usage: %s --encode IN.wav OUT.mp3 | --decode IN.mp3 OUT.wav\n",
                     argv[0]);
        return 2;
    }
    try
    {
        if (std::strcmp(argv[1], "--encode") == 0)
            return Encode(argv[2], argv[3]);
        if (std::strcmp(argv[1], "--decode") == 0)
            return Decode(argv[2], argv[3]);
    }
    catch (const CFileException& error)
    {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 2;
}

// Writes the seed corpora of the fuzz targets, one folder per target, with
// the project's own writers and test builders: real encoded files where the
// project can make them, hand-built streams for the odd layouts.
//
// Usage: tw_fuzz_seeds <folder>
#include "audio/mpeg/MpegTags.h"
#include "audio/wav/AudioWaveFile.h"
#include "support/AudioFiles.h"
#include "support/MP3StreamBuilder.h"
#include "support/WaveBuilder.h"

#include <cstdio>
#include <exception>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{
// Seeds stay below this so that every target's -max_len takes them whole.
constexpr std::size_t kMaxSeed = 16384;

void Put(const fs::path& folder, const std::string& name, std::vector<std::uint8_t> bytes)
{
    fs::create_directories(folder);
    if (bytes.size() > kMaxSeed)
        bytes.resize(kMaxSeed);
    WriteFileBytes((folder / name).string(), bytes);
}

// A file made by a writer that takes a path, then kept as a seed.
template <typename Writer>
void PutWritten(const fs::path& folder, const std::string& name, Writer write)
{
    const fs::path scratch = fs::temp_directory_path() / ("tw-seed-" + name);
    write(scratch.string());
    Put(folder, name, ReadFileBytes(scratch.string()));
    fs::remove(scratch);
}

std::vector<std::uint8_t> Le(std::uint32_t value, int bytes)
{
    std::vector<std::uint8_t> out;
    for (int i = 0; i < bytes; ++i)
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    return out;
}

// A WAVE format block with an IMA ADPCM layout of the given channels and block size.
CWaveFormat AdpcmFormat(std::uint16_t channels, std::uint32_t rate, std::uint16_t blockAlign)
{
    const std::size_t samples = ImaAdpcmSamplesPerBlock(channels, blockAlign);
    std::vector<std::uint8_t> block;
    for (const auto& part :
         {Le(kWaveFormatImaAdpcm, 2), Le(channels, 2), Le(rate, 4),
          Le(static_cast<std::uint32_t>(rate * blockAlign / samples), 4), Le(blockAlign, 2),
          Le(4, 2), Le(2, 2), Le(static_cast<std::uint32_t>(samples), 2)})
        block.insert(block.end(), part.begin(), part.end());
    return CWaveFormat(std::move(block));
}

void WriteAdpcm(const std::string& path, const CWaveFormat& format, double seconds)
{
    const auto frames = static_cast<std::size_t>(seconds * format.SamplesPerSecond());
    WriteWaveSamples(path, TestSignal(frames, format.Channels()), format);
}

std::vector<std::uint8_t> Text(const std::string& text, std::size_t size)
{
    std::vector<std::uint8_t> out(text.begin(), text.end());
    out.resize(size, 0);
    return out;
}

void WaveSeeds(const fs::path& folder)
{
    const auto pcm = [](std::size_t frames, unsigned channels, unsigned bytesPerSample)
    {
        // The test signal widened or narrowed to the depth asked for.
        std::vector<std::uint8_t> out;
        for (std::int16_t sample : TestSignal(frames, channels))
        {
            const auto value = static_cast<std::uint16_t>(sample);
            if (bytesPerSample == 1)
                out.push_back(static_cast<std::uint8_t>((value >> 8) ^ 0x80));
            else
            {
                out.insert(out.end(), bytesPerSample - 2, 0);
                out.push_back(static_cast<std::uint8_t>(value));
                out.push_back(static_cast<std::uint8_t>(value >> 8));
            }
        }
        return out;
    };
    PutWritten(folder, "pcm16-stereo.wav", [](const std::string& p) { WriteTestWave(p, 0.02); });
    PutWritten(folder, "pcm16-mono-8k.wav",
               [](const std::string& p) { WriteTestWave(p, 0.1, 8000, 1); });
    PutWritten(folder, "silent-8bit.wav", [](const std::string& p) { WriteSilentWave(p, 300); });
    Put(folder, "pcm8-stereo.wav",
        CWaveBuilder().Format(1, 2, 11025, 8, 2).Chunk("data", pcm(400, 2, 1)).Bytes());
    Put(folder, "pcm24-stereo.wav",
        CWaveBuilder().Format(1, 2, 22050, 24, 6).Chunk("data", pcm(300, 2, 3)).Bytes());
    Put(folder, "pcm32-mono.wav",
        CWaveBuilder().Format(1, 1, 22050, 32, 4).Chunk("data", pcm(300, 1, 4)).Bytes());
    Put(folder, "pcm16-6ch.wav",
        CWaveBuilder().Format(1, 6, 8000, 16, 12).Chunk("data", pcm(200, 6, 2)).Bytes());
    Put(folder, "float32.wav",
        CWaveBuilder().Format(3, 2, 8000, 32, 8).Chunk("data", pcm(200, 2, 4)).Bytes());
    Put(folder, "float64.wav",
        CWaveBuilder().Format(3, 1, 8000, 64, 8).Chunk("data", pcm(200, 1, 8)).Bytes());
    Put(folder, "alaw.wav",
        CWaveBuilder().Format(6, 1, 8000, 8, 1).Chunk("data", pcm(500, 1, 1)).Bytes());
    Put(folder, "mulaw.wav",
        CWaveBuilder().Format(7, 2, 8000, 8, 2).Chunk("data", pcm(300, 2, 1)).Bytes());
    Put(folder, "extensible24.wav",
        CWaveBuilder().ExtensibleFormat(1, 2, 8000, 24).Chunk("data", pcm(200, 2, 3)).Bytes());
    Put(folder, "extensible-float.wav",
        CWaveBuilder().ExtensibleFormat(3, 2, 8000, 32).Chunk("data", pcm(200, 2, 4)).Bytes());
    Put(folder, "tagged.wav",
        CWaveBuilder()
            .Format(1, 1, 8000, 16, 2)
            .Chunk("LIST", Text("INFOINAM\x05\0\0\0name", 18))
            .Chunk("data", pcm(101, 1, 2))
            .Chunk("TITL", Text("Title", 64))
            .Chunk("INTR", Text("Artist", 64))
            .Chunk("ALBU", Text("Album", 64))
            .Bytes());
    Put(folder, "odd-chunks.wav",
        CWaveBuilder()
            .Chunk("junk", {1, 2, 3})
            .Format(1, 1, 8000, 8, 1)
            .Chunk("data", pcm(333, 1, 1))
            .Chunk("TITL", Text("x", 5))
            .Bytes());
    Put(folder, "data-claims-more.wav",
        CWaveBuilder()
            .Format(1, 2, 8000, 16, 4)
            .ChunkClaiming("data", 100000, pcm(200, 2, 2))
            .RiffSize(0xFFFFFFFFu)
            .Bytes());
    PutWritten(folder, "adpcm-stereo.wav",
               [](const std::string& p)
               { WriteAdpcm(p, CWaveFormat::ImaAdpcm44100Stereo(), 0.08); });
    PutWritten(folder, "adpcm-mono-256.wav",
               [](const std::string& p) { WriteAdpcm(p, AdpcmFormat(1, 8000, 256), 0.2); });
    PutWritten(folder, "adpcm-stereo-512.wav",
               [](const std::string& p) { WriteAdpcm(p, AdpcmFormat(2, 11025, 512), 0.15); });
}

void Mp3WalkSeeds(const fs::path& folder)
{
    using namespace mp3words;
    Put(folder, "frames.mp3", CMP3StreamBuilder().Frames(kMpeg1L3, kMpeg1L3Length, 8).Data());
    Put(folder, "padded-and-protected.mp3",
        CMP3StreamBuilder()
            .Frame(kMpeg1L3, kMpeg1L3Length)
            .Frame(kMpeg1L3Padded, kMpeg1L3PaddedLength)
            .Frame(kMpeg1L3Protected, kMpeg1L3Length)
            .Frame(kMpeg1L3, kMpeg1L3Length)
            .Data());
    Put(folder, "id3-frames-id3v1.mp3",
        CMP3StreamBuilder().Id3v2(300).Frames(kMpeg1L3, kMpeg1L3Length, 4).Id3v1().Data());
    Put(folder, "damage.mp3",
        CMP3StreamBuilder()
            .Frames(kMpeg1L3, kMpeg1L3Length, 2)
            .Text("garbage")
            .Frame(kFreeFormat, 100)
            .Frames(kMpeg1L3, kMpeg1L3Length, 2)
            .Zeros(3)
            .Frame(0xFFFFF064u, 60)
            .Frame(kMpeg1L3, kMpeg1L3Length)
            .Data());
    // MPEG-2 Layer III, MPEG-2.5, Layer I and Layer II headers.
    Put(folder, "other-layers.mp3",
        CMP3StreamBuilder()
            .Frames(0xFFF39064u, 208, 3)
            .Frames(0xFFE39064u, 288, 2)
            .Frames(0xFFFF9064u, 416, 2)
            .Frames(0xFFFD90C4u, 417, 2)
            .Data());
    PutWritten(folder, "encoded.mp3",
               [](const std::string& p) { WriteTestMp3(p, 0.2, "Title", "Artist", "Album"); });
    PutWritten(folder, "encoded-short.mp3", [](const std::string& p) { WriteTestMp3(p, 0.03); });
}

void Mp3TagSeeds(const fs::path& folder)
{
    using namespace mp3words;
    PutWritten(folder, "encoded-id3v1.mp3",
               [](const std::string& p) { WriteTestMp3(p, 0.05, "Title", "Artist", "Album"); });
    PutWritten(folder, "encoded-untagged.mp3", [](const std::string& p) { WriteTestMp3(p, 0.05); });
    // An ID3v2 tag (empty) that the tag writer then fills in its own way.
    PutWritten(folder, "id3v2-written.mp3",
               [](const std::string& p)
               {
                   CMP3StreamBuilder().Id3v2(64).Frames(kMpeg1L3, kMpeg1L3Length, 4).WriteTo(p);
                   (void)WriteMpegTags(p, {"T\xC3\xADtle", "Artist", "Album"});
               });
    PutWritten(folder, "id3v1-written.mp3",
               [](const std::string& p)
               {
                   CMP3StreamBuilder().Frames(kMpeg1L3, kMpeg1L3Length, 3).WriteTo(p);
                   (void)WriteMpegTags(p, {"Title", "Artist", ""});
               });
    Put(folder, "id3-frames-id3v1.mp3",
        CMP3StreamBuilder().Id3v2(40).Frames(kMpeg1L3, kMpeg1L3Length, 2).Id3v1().Data());
}

void OggSeeds(const fs::path& folder)
{
    PutWritten(folder, "short.ogg", [](const std::string& p) { WriteTestOgg(p, 0.05, "Title"); });
    PutWritten(folder, "untitled.ogg", [](const std::string& p) { WriteTestOgg(p, 0.2); });
    // Two streams chained: the rewrite must copy the second one as it is.
    PutWritten(folder, "chained.ogg",
               [](const std::string& p)
               {
                   const std::string second = p + ".second";
                   WriteTestOgg(p, 0.02, "One");
                   WriteTestOgg(second, 0.02, "Two");
                   std::vector<std::uint8_t> bytes = ReadFileBytes(p);
                   const std::vector<std::uint8_t> more = ReadFileBytes(second);
                   bytes.insert(bytes.end(), more.begin(), more.end());
                   WriteFileBytes(p, bytes);
                   fs::remove(second);
               });
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    try
    {
        Mp3WalkSeeds(root / "FuzzMp3Walk");
        WaveSeeds(root / "FuzzWaveFile");
        OggSeeds(root / "FuzzOggRewrite");
        Mp3TagSeeds(root / "FuzzMp3Tags");
        // The decoders start from the walk's streams: every layer, damage and tags.
        Mp3WalkSeeds(root / "FuzzMp3Decode");
        Mp3WalkSeeds(root / "FuzzMp3DeepCheck");
    }
    catch (const std::exception& error)
    {
        std::fprintf(stderr, "seeds: %s\n", error.what());
        return 1;
    }
    return 0;
}

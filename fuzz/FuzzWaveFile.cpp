// Opening and decoding a WAV file: the RIFF walk, every sample coding, IMA
// ADPCM, seeking, and the tag rewrite, after which the file must still open
// with the same audio and the new tags.
#include "FuzzInput.h"
#include "audio/wav/AudioWaveFile.h"

#include <vector>

namespace
{
// Output this large from an input of at most a few hundred KB means the
// decoder no longer follows its data.
constexpr std::size_t kMaxPcm = 64u << 20;

struct Decoded
{
    bool opened = false;
    std::int32_t length = 0;
    std::vector<std::uint8_t> pcm;
};

Decoded DecodeFile(const std::string& path, std::size_t inputSize)
{
    Decoded result;
    CAudioWaveFile file;
    file.SetPath(path);
    if (!file.IsValid() || !file.BeginDecoding())
        return result;
    result.opened = true;
    result.length = file.GetLength();
    FuzzExpect(file.GetChannels() <= 2, "more than two channels delivered");
    // Odd, tiny and large reads, as the pipelines and players make them.
    static const std::size_t kReads[] = {1, 3, 4096, 32768, 7};
    std::vector<std::uint8_t> block(32768);
    for (std::size_t i = 0;; ++i)
    {
        const std::size_t wanted = kReads[i % 5];
        const std::int32_t got = file.Read(1, wanted, block.data(), block.size());
        if (got <= 0)
            break;
        FuzzExpect(static_cast<std::size_t>(got) <= wanted, "Read delivered more than asked");
        result.pcm.insert(result.pcm.end(), block.begin(), block.begin() + got);
        FuzzExpect(result.pcm.size() < kMaxPcm + 64 * inputSize, "endless PCM");
    }
    // Seeking anywhere, even past the end, must leave a readable file.
    file.Seek(result.length / 2);
    file.Read(1, 4096, block.data(), block.size());
    file.Seek(-5);
    file.Seek(0x7FFFFFFF);
    file.Read(1, 4096, block.data(), block.size());
    file.EndDecoding();
    return result;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = WriteFuzzInput(data, size, ".wav");
    const Decoded before = DecodeFile(path, size);

    CAudioWaveFile writer;
    writer.SetPath(path);
    writer.SetTitle("Fuzz title");
    writer.SetArtist("Fuzz artist");
    writer.SetAlbum("");
    if (!writer.WriteTags() || !before.opened)
        return 0;

    const Decoded after = DecodeFile(path, size);
    FuzzExpect(after.opened, "a tag rewrite broke the file");
    FuzzExpect(after.length == before.length, "a tag rewrite changed the length");
    FuzzExpect(after.pcm == before.pcm, "a tag rewrite changed the audio");
    CAudioWaveFile reread;
    reread.SetPath(path);
    FuzzExpect(reread.IsValid() && reread.GetTitle() == "Fuzz title" &&
                   reread.GetArtist() == "Fuzz artist" && reread.GetAlbum().empty(),
               "the tags written do not read back");
    return 0;
}

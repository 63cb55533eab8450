// Decoding MP3 through our adapter: open (tags, format, length), read in
// sizes that split the decoder's blocks, seek, read on.
#include "FuzzInput.h"
#include "audio/mpeg/AudioMpegFile.h"

#include <vector>

namespace
{
constexpr std::size_t kMaxPcm = 64u << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = WriteFuzzInput(data, size, ".mp3");
    CAudioMpegFile file;
    file.SetPath(path);
    file.IsValid();
    if (!file.BeginDecoding())
        return 0;
    FuzzExpect(file.GetLength() >= 0, "negative length");
    static const std::size_t kReads[] = {1, 4097, 32768, 3, 16384};
    std::vector<std::uint8_t> block(32768);
    std::size_t total = 0;
    for (std::size_t i = 0;; ++i)
    {
        const std::size_t wanted = kReads[i % 5];
        const std::int32_t got = file.Read(1, wanted, block.data(), block.size());
        if (got <= 0)
            break;
        FuzzExpect(static_cast<std::size_t>(got) <= wanted, "Read delivered more than asked");
        FuzzExpect(file.HeldBytes() <= CAudioMpegFile::kBlockSize, "held more than a block");
        total += static_cast<std::size_t>(got);
        FuzzExpect(total < kMaxPcm, "endless PCM");
    }
    FuzzExpect(file.GetPosition() >= 0, "negative position");
    file.Seek(file.GetLength() / 2);
    file.Read(1, 4096, block.data(), block.size());
    file.Seek(-1);
    file.Seek(0x7FFFFFFF);
    file.Read(1, 4096, block.data(), block.size());
    file.EndDecoding();
    return 0;
}

// The Ogg Vorbis comment rewrite on arbitrary files: open and decode a
// little, rewrite the comments, reread. A rewrite that reports success must
// leave a file that opens with exactly the new comments; any rewrite must
// leave no temporary copy behind.
#include "FuzzInput.h"
#include "audio/ogg/AudioOggFile.h"
#include "audio/ogg/OggCommentRewriter.h"

#include <filesystem>
#include <unistd.h>
#include <vector>

namespace
{
// Decoding is bounded: the decoder is not what this target is about, and a
// few hundred KB of input can hold hours of silence.
constexpr int kMaxReads = 64;

bool OpenAndDecode(const std::string& path, CAudioOggFile& file)
{
    file.SetPath(path);
    if (!file.IsValid() || !file.BeginDecoding())
        return false;
    FuzzExpect(file.GetChannels() <= 2, "more than two channels delivered");
    std::vector<std::uint8_t> block(8192);
    for (int i = 0; i < kMaxReads; ++i)
    {
        const std::int32_t got = file.Read(1, 4096 + 3 * i, block.data(), block.size());
        if (got <= 0)
            break;
        FuzzExpect(static_cast<std::size_t>(got) <= static_cast<std::size_t>(4096 + 3 * i),
                   "Read delivered more");
    }
    file.Seek(file.GetLength() / 2);
    file.Read(1, 4096, block.data(), block.size());
    file.EndDecoding();
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = WriteFuzzInput(data, size, ".ogg");
    CAudioOggFile original;
    const bool opened = OpenAndDecode(path, original);

    const VorbisCommentList comments = {
        {"TITLE", "Fuzz title"}, {"ARTIST", ""}, {"ALBUM", "Fuzz \xC3\xA4lbum"}};
    const Status rewrite = RewriteVorbisComments(path, comments);
    const bool rewritten = rewrite.Ok();
    std::error_code ignored;
    for (const auto& entry :
         std::filesystem::directory_iterator(std::filesystem::path(path).parent_path(), ignored))
        FuzzExpect(
            entry.path().filename().string().rfind(".tw-" + std::to_string(getpid()) + "-", 0) != 0,
            "temporary copy left");
    FuzzExpect(rewritten || !rewrite.Reason().empty(), "a failed rewrite gives no reason");
    if (!rewritten || !opened)
        return 0;

    CAudioOggFile reread;
    FuzzExpect(OpenAndDecode(path, reread), "a rewritten file does not open");
    FuzzExpect(reread.GetTitle() == "Fuzz title" && reread.GetArtist().empty() &&
                   reread.GetAlbum() == "Fuzz \xC3\xA4lbum",
               "the comments written do not read back");
    FuzzExpect(reread.GetSampleRate() == original.GetSampleRate() &&
                   reread.GetChannels() == original.GetChannels(),
               "a rewrite changed the format");
    return 0;
}

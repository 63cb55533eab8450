// Reading the tags of an MP3 file, then writing them and reading them back:
// the write must leave the audio span alone (it checks that itself) and the
// texts must read back.
#include "FuzzInput.h"
#include "audio/mpeg/MpegTags.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string path = WriteFuzzInput(data, size, ".mp3");
    TrackTags tags;
    FuzzExpect(ReadMpegTags(path, tags).Ok(), "a readable file's tags cannot be read");

    const TrackTags written{"Fuzz title", "Fuzz artist", "Fuzz \xC3\xA4lbum"};
    if (!WriteMpegTags(path, written))
        return 0;
    TrackTags reread;
    FuzzExpect(ReadMpegTags(path, reread).Ok(), "a tagged file cannot be read");
    FuzzExpect(reread.title == written.title && reread.artist == written.artist &&
                   reread.album == written.album,
               "the tags written do not read back");
    return 0;
}

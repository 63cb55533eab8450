// tw-make-frame-file OUTPUT MEGABYTES [--vbr]: writes a large MP3 stream of
// valid frames for timing checkers.

#include "FrameFile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: %s OUTPUT MEGABYTES [--vbr]\n", argv[0]);
        return 2;
    }
    const std::uint64_t megabytes = std::strtoull(argv[2], nullptr, 10);
    const bool vbr = argc > 3 && std::strcmp(argv[3], "--vbr") == 0;
    if (!WriteFrameFile(argv[1], megabytes * 1000 * 1000, vbr))
    {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}

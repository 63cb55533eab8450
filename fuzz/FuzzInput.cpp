#include "FuzzInput.h"

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const char* extension)
{
    const char* folder = std::getenv("TMPDIR");
    std::string path = (folder && *folder) ? folder : "/tmp";
    path += "/tw-fuzz-" + std::to_string(getpid()) + extension;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file || std::fwrite(data, 1, size, file) != size || std::fclose(file) != 0)
    {
        std::perror(path.c_str());
        std::abort(); // a run that cannot write its input tests nothing
    }
    return path;
}

void FuzzExpect(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

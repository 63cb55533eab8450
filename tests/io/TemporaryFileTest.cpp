#include "io/TemporaryFile.h"

#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
// The id of a process that has ended.
long EndedProcessId()
{
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    int status = 0;
    waitpid(child, &status, 0);
    return child;
}
} // namespace

TEST(TemporaryFile, CreateSweepsWhatKilledRunsLeft)
{
    CTempDir dir;
    const std::string dead = ".a.wav.tw-" + std::to_string(EndedProcessId()) + "-12";
    const std::string alive = ".b.mp3.tw-" + std::to_string(getpid()) + "-7";
    for (const std::string& name : {dead, alive, std::string(".c.tw-x-1"), std::string("d.tw-1-1")})
        WriteFileBytes(dir.File(name), {1});
    fs::create_directory(dir.Path() / (".e.tw-" + std::to_string(EndedProcessId()) + "-3"));

    CTemporaryFile temporary;
    std::string error;
    ASSERT_TRUE(temporary.Create(dir.File("new.ogg"), error)) << error;
    EXPECT_FALSE(fs::exists(dir.File(dead)));
    for (const std::string& name : {alive, std::string(".c.tw-x-1"), std::string("d.tw-1-1")})
        EXPECT_TRUE(fs::exists(dir.File(name))) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 5)
        << "the folder of that name and the new file stay too";
}
#endif

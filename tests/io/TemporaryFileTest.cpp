#include "io/TemporaryFile.h"

#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <sys/stat.h>

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
    const std::string deadShort = ".tw-" + std::to_string(EndedProcessId()) + "-5";
    const std::string kept = deadShort + ".kept"; // new content of an unfinished in-place write
    for (const std::string& name :
         {dead, alive, deadShort, kept, std::string(".c.tw-x-1"), std::string("d.tw-1-1")})
        WriteFileBytes(dir.File(name), {1});
    fs::create_directory(dir.Path() / (".e.tw-" + std::to_string(EndedProcessId()) + "-3"));

    CTemporaryFile temporary;
    ASSERT_TRUE(Succeeded(temporary.Create(dir.File("new.ogg"))));
    EXPECT_FALSE(fs::exists(dir.File(dead)));
    EXPECT_FALSE(fs::exists(dir.File(deadShort)));
    for (const std::string& name : {alive, kept, std::string(".c.tw-x-1"), std::string("d.tw-1-1")})
        EXPECT_TRUE(fs::exists(dir.File(name))) << name;
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 6)
        << "the folder of that name and the new file stay too";
}

// The longest name a file may have still gets a copy beside it, and a file
// with other hard links stays the same file, which all of them show.
TEST(TemporaryFile, CommitWorksForLongNamesAndKeepsHardLinks)
{
    CTempDir dir;
    const std::string target = dir.File(std::string(251, 'n') + ".ogg");
    WriteFileBytes(target, {1, 2, 3});
    fs::create_hard_link(target, dir.File("other link"));
    const auto inode = [](const std::string& path)
    {
        struct stat status;
        return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
    };
    const ino_t before = inode(target);

    CTemporaryFile temporary;
    ASSERT_TRUE(Succeeded(temporary.CreateCopy(target, target)));
    WriteFileBytes(temporary.Path(), {4, 5});
    ASSERT_TRUE(Succeeded(temporary.Commit()));
    EXPECT_EQ(inode(target), before);
    EXPECT_EQ(ReadFileBytes(dir.File("other link")), (std::vector<std::uint8_t>{4, 5}));
    EXPECT_EQ(fs::hard_link_count(target), 2u);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 2);
}
#endif

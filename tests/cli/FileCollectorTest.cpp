#include "cli/FileCollector.h"

#include "support/TempDir.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace
{
void Touch(const fs::path& path)
{
    std::ofstream{path};
}
} // namespace

TEST(FileCollector, SortsEachFolderAndRecursesOnlyWhenAsked)
{
    CTempDir dir;
    fs::create_directories(dir.Path() / "b" / "c");
    for (const char* name : {"z.mp3", "a.MP3", "m.wav", "b/x.mp3", "b/c/y.mp3"})
        Touch(dir.Path() / name);

    CFileCollector flat({AudioKind::Mp3}, false);
    flat.Add(dir.Path().string());
    EXPECT_EQ(flat.Files(), (std::vector<std::string>{dir.File("a.MP3"), dir.File("z.mp3")}));

    CFileCollector deep({AudioKind::Mp3}, true);
    deep.Add(dir.Path().string());
    EXPECT_EQ(deep.Files(), (std::vector<std::string>{dir.File("a.MP3"), dir.File("b/c/y.mp3"),
                                                      dir.File("b/x.mp3"), dir.File("z.mp3")}));
    EXPECT_TRUE(deep.Errors().empty());
}

TEST(FileCollector, LinkedFoldersAreNotFollowedSoCyclesEnd)
{
    CTempDir dir;
    fs::create_directories(dir.Path() / "a");
    Touch(dir.Path() / "a" / "song.mp3");
    fs::create_directory_symlink(dir.Path(), dir.Path() / "a" / "loop");

    CFileCollector deep({AudioKind::Mp3}, true);
    deep.Add(dir.Path().string());
    EXPECT_EQ(deep.Files(), std::vector<std::string>{dir.File("a/song.mp3")});
}

TEST(FileCollector, NamedFilesStayAsGivenAndEmptyFoldersAreNoted)
{
    CTempDir dir;
    fs::create_directory(dir.Path() / "empty");
    CFileCollector collector({AudioKind::Mp3, AudioKind::Ogg}, false);
    collector.Add(dir.File("missing.ogg"));
    collector.Add(dir.File("empty"));
    EXPECT_EQ(collector.Files(), std::vector<std::string>{dir.File("missing.ogg")});
    EXPECT_EQ(collector.EmptyFolders(), std::vector<std::string>{dir.File("empty")});
}

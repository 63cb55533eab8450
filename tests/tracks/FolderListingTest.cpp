#include "tracks/FolderListing.h"

#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

TEST(FolderListing, OffersFilesByTheirLastThreeLettersOnly)
{
    CTempDir dir;
    for (const char* name : {"b.MP3", "a.wav", "c.mp3.bak", "notes_mp3", "d.Ogg", "readme.txt"})
        WriteFileBytes(dir.File(name), {1});
    fs::create_directory(dir.Path() / "x.mp3");
    fs::create_directory(dir.Path() / "sub");

    EXPECT_EQ(ListTrackFiles(dir.Path().string()),
              (std::vector<std::string>{dir.File("a.wav"), dir.File("b.MP3"), dir.File("d.Ogg"),
                                        dir.File("notes_mp3")}));
    EXPECT_EQ(ListSubfolders(dir.Path().string()),
              (std::vector<std::string>{dir.File("sub"), dir.File("x.mp3")}));
}

TEST(FolderListing, SubitemsAreFoldersOrVisibleFilesWhenFilesCount)
{
    CTempDir dir;
    EXPECT_TRUE(ListTrackFiles(dir.File("gone")).empty());
    EXPECT_TRUE(ListSubfolders(dir.File("gone")).empty());
    EXPECT_FALSE(HasSubitems(dir.File("gone"), true));
    EXPECT_FALSE(HasSubitems(dir.Path().string(), true));
    WriteFileBytes(dir.File(".hidden"), {1});
    EXPECT_FALSE(HasSubitems(dir.Path().string(), true));
    WriteFileBytes(dir.File("song.mp3"), {1});
    EXPECT_TRUE(HasSubitems(dir.Path().string(), true));
    EXPECT_FALSE(HasSubitems(dir.Path().string(), false));
    fs::create_directory(dir.Path() / "sub");
    EXPECT_TRUE(HasSubitems(dir.Path().string(), false));
}

TEST(FolderListing, SortIgnoresCaseAndKeepsTies)
{
    std::vector<std::string> paths{"/m/b", "/m/B", "/m/a", "/m/C"};
    SortPathsIgnoringCase(paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"/m/a", "/m/b", "/m/B", "/m/C"}));
}

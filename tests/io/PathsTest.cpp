#include "io/Paths.h"

#include <gtest/gtest.h>

TEST(Paths, ExtensionsAndUtf8Names)
{
    EXPECT_EQ(UpperCaseExtension("song.mp3"), ".MP3");
    EXPECT_EQ(UpperCaseExtension("/music/Song.Mp3"), ".MP3");
    EXPECT_EQ(UpperCaseExtension("/music/album.v2/track"), "");
    EXPECT_EQ(UpperCaseExtension("archive.tar.ogg"), ".OGG");
    EXPECT_EQ(UpperCaseExtension(".mp3"), ".MP3");
    EXPECT_EQ(UpperCaseExtension("trailing."), ".");
    EXPECT_EQ(UpperCaseExtension(PathFromUtf8("/m\xC3\xBAsica/\xC3\xA9t\xC3\xA9.wav")), ".WAV");
    // UTF-8 text survives the round trip through a path.
    const std::string text = "/m\xC3\xBAsica/\xE6\x97\xA5\xE6\x9C\xAC.mp3";
    EXPECT_EQ(Utf8FromPath(PathFromUtf8(text)), text);
}

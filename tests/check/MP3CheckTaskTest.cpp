#include "check/MP3CheckTask.h"

#include "check/IProgressSink.h"
#include "support/MP3StreamBuilder.h"
#include "support/RecordingSink.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace mp3words;

TEST(MP3CheckTask, ChecksEachPathAndSaysWhyOneCannotBeRead)
{
    CTempDir dir;
    CMP3StreamBuilder good;
    good.Id3v2(64).Frames(kMpeg1L3, kMpeg1L3Length, 500);
    good.WriteTo(dir.File("good.mp3"));
    CMP3StreamBuilder bad;
    bad.Frames(kMpeg1L3, kMpeg1L3Length, 3).Zeros(1).Frames(kMpeg1L3, kMpeg1L3Length, 3);
    bad.WriteTo(dir.File("Ünïcode bad.mp3"));

    CMP3CheckTask task;
    CRecordingSink sink;
    task.SetPath(dir.File("good.mp3"));
    EXPECT_TRUE(task.Run(&sink));
    EXPECT_EQ(task.GetResult().countedFrames, 500u);
    ASSERT_GE(sink.values.size(), 3u);
    EXPECT_EQ(sink.values.front(), 0);
    EXPECT_EQ(sink.values[sink.values.size() - 2], 99);
    EXPECT_EQ(sink.values.back(), 0);

    task.SetPath(dir.File("Ünïcode bad.mp3"));
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_TRUE(task.GetResult().readable);
    EXPECT_EQ(task.GetResult().errors, 1u);

    // Files that cannot be read are not sound and say why.
    task.SetPath(dir.File("missing.mp3"));
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_FALSE(task.GetResult().readable);
    EXPECT_EQ(task.GetResult().failure, "cannot open the file: No such file or directory");

    task.SetPath(dir.Path().string());
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_EQ(task.GetResult().failure, "it is a folder, not a file");

    // A pipe has no end to walk to; it must be refused, not waited on.
    ASSERT_EQ(mkfifo(dir.File("pipe.mp3").c_str(), 0600), 0);
    task.SetPath(dir.File("pipe.mp3"));
    EXPECT_FALSE(task.Run(nullptr));
    EXPECT_EQ(task.GetResult().failure, "it is not a regular file");
}

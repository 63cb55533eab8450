#include "state/CheckHistory.h"

#include "audio/AudioFileFactory.h"
#include "check/MP3Check.h"
#include "state/CheckMemory.h"
#include "state/StateDatabase.h"
#include "support/AudioFiles.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "tracks/TagHistory.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>

namespace fs = std::filesystem;

namespace
{
class CheckHistory : public testing::Test
{
protected:
    CheckHistory() : m_database(Open()), m_history(*m_database) {}

    std::unique_ptr<CStateDatabase> Open()
    {
        std::unique_ptr<CStateDatabase> database;
        EXPECT_TRUE(Succeeded(CStateDatabase::Open(m_dir.File("state.db"), database)));
        return database;
    }

    // Checks `path` and compares with the history, as a verifying run does.
    AudioChange Verify(const std::string& path)
    {
        FileStamp stamp;
        EXPECT_TRUE(Succeeded(ReadFileStamp(path, stamp)));
        CMP3Check check;
        check.CheckFile(path, nullptr);
        RememberedCheck fresh;
        EXPECT_TRUE(
            DescribeCheck(StateKey(path), stamp, check.GetResult(), "", SecondsNow(), fresh));
        AudioChange change;
        EXPECT_TRUE(Succeeded(Reconcile(m_history, fresh, change)));
        return change;
    }

    std::optional<RememberedCheck> Recall(const std::string& path)
    {
        FileStamp stamp;
        EXPECT_TRUE(Succeeded(ReadFileStamp(path, stamp)));
        return RecallUnchanged(m_history, StateKey(path), stamp);
    }

    CTempDir m_dir;
    std::unique_ptr<CStateDatabase> m_database;
    CCheckHistory m_history;
};

RememberedCheck Sound(const std::string& path)
{
    RememberedCheck check;
    check.path = path;
    check.sound = true;
    return check;
}

void FlipByteKeepingTime(const std::string& path, std::streamoff offset)
{
    const auto time = fs::last_write_time(path);
    std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
    file.seekg(offset);
    const char byte = static_cast<char>(file.get() ^ 0x5A);
    file.seekp(offset);
    file.put(byte);
    file.close();
    fs::last_write_time(path, time);
}
} // namespace

// Everything stored comes back as it was, the hash's top bit included.
TEST_F(CheckHistory, RemembersEveryFieldAndForgetsFolders)
{
    RememberedCheck check{"/music/a.mp3", {7, 8, 9, -10},         false, 3, "note", "summary", 11,
                          true,           0xF234'5678'9ABC'DEF0u, 12};
    ASSERT_TRUE(Succeeded(m_history.Remember(check)));
    const std::optional<RememberedCheck> found = m_history.Find("/music/a.mp3");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->stamp.inode, 8u);
    EXPECT_EQ(found->stamp.modifiedNs, -10);
    EXPECT_EQ(found->audioHash, 0xF234'5678'9ABC'DEF0u);
    EXPECT_EQ(found->summary, "summary");
    EXPECT_EQ(found->intactAt, 12);
    EXPECT_FALSE(m_history.Find("/music/b.mp3"));

    // Forgetting a folder forgets what is under it, not its namesakes.
    for (const char* path : {"/m/a.mp3", "/m/sub/b.mp3", "/m2/c.mp3", "/n.mp3"})
        ASSERT_TRUE(Succeeded(m_history.Remember(Sound(path))));
    EXPECT_EQ(m_history.Forget("/m"), 2u);
    EXPECT_EQ(m_history.Forget("/music"), 1u);
    std::vector<std::string> left;
    m_history.ForEach([&](const RememberedCheck& kept) { left.push_back(kept.path); });
    EXPECT_EQ(left, (std::vector<std::string>{"/m2/c.mp3", "/n.mp3"}));
}

// An unchanged file is answered from the history even when it can no
// longer be read; a changed size or time asks for a new check.
TEST_F(CheckHistory, AnswersUnchangedFilesOnly)
{
    const std::string path = WriteTestMp3(m_dir.File("a.mp3"), 0.5);
    EXPECT_FALSE(Verify(path).changed);
    fs::permissions(path, fs::perms::none);
    ASSERT_TRUE(Recall(path));
    EXPECT_TRUE(Recall(path)->sound);
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
    fs::last_write_time(path, fs::last_write_time(path) + std::chrono::seconds(1));
    EXPECT_FALSE(Recall(path));
    fs::resize_file(path, fs::file_size(path) - 1);
    EXPECT_FALSE(Recall(path));
}

// A byte flipped in the audio with the date put back is a change, told
// again on the next check; an edit of the tags through the program is not.
TEST_F(CheckHistory, TellsChangedAudioFromTagEdits)
{
    const std::string path = WriteTestMp3(m_dir.File("a.mp3"), 0.5, "One");
    EXPECT_FALSE(Verify(path).changed);

    std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
    file->SetPath(path);
    ASSERT_TRUE(file->IsValid());
    file->SetTitle("A much longer title that makes the tag grow");
    std::string warning;
    CTagHistory tags(*m_database);
    ASSERT_TRUE(Succeeded(WriteTagsRecorded(*file, {"One", "", ""}, &tags, warning)));
    EXPECT_TRUE(Recall(path)) << "the tag edit keeps the file known";
    EXPECT_FALSE(Verify(path).changed);

    const std::int64_t intact = m_history.Find(StateKey(path))->intactAt;
    FlipByteKeepingTime(path, static_cast<std::streamoff>(fs::file_size(path) / 2));
    for (int i = 0; i < 2; ++i)
    {
        const AudioChange change = Verify(path);
        EXPECT_TRUE(change.changed);
        EXPECT_EQ(change.lastIntact, intact);
    }
}

// Two writers at once, as the window and a script may be: each waits for
// the other and neither loses a file.
TEST_F(CheckHistory, TwoWritersKeepEverything)
{
    constexpr int kFiles = 1200;
    auto write = [this](const std::string& prefix)
    {
        auto database = Open();
        CCheckHistory history(*database);
        for (int i = 0; i < kFiles; ++i)
            EXPECT_TRUE(Succeeded(history.Remember(Sound(prefix + std::to_string(i)))));
    };
    std::thread other(write, "/x/");
    write("/y/");
    other.join();
    int count = 0;
    m_history.ForEach([&](const RememberedCheck&) { ++count; });
    EXPECT_EQ(count, 2 * kFiles);
}

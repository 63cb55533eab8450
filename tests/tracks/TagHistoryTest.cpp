#include "tracks/TagHistory.h"

#include "audio/AudioFileFactory.h"
#include "state/StateDatabase.h"
#include "support/AudioFiles.h"
#include "support/StatusChecks.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <gtest/gtest.h>
#include <memory>

namespace
{
class TagHistory : public testing::TestWithParam<const char*>
{
protected:
    TagHistory()
    {
        EXPECT_TRUE(Succeeded(CStateDatabase::Open(m_dir.File("state/history.db"), m_database)));
        m_history = std::make_unique<CTagHistory>(*m_database);
    }

    std::string Song()
    {
        const std::string name = m_dir.File(std::string("song") + GetParam());
        if (std::string(GetParam()) == ".mp3")
            return WriteTestMp3(name, 0.3, "One", "Band", "Disc");
        if (std::string(GetParam()) == ".ogg")
            return WriteTestOgg(name, 0.3, "One");
        const std::string path = WriteTestWave(name, 0.3);
        Edit(path, "One", "", "", false);
        return path;
    }

    // Sets the texts through the history (or without it).
    void Edit(const std::string& path, const std::string& title, const std::string& artist,
              const std::string& album, bool recorded = true)
    {
        std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
        file->SetPath(path);
        ASSERT_TRUE(file->IsValid());
        const TrackTexts before{file->GetTitle(), file->GetArtist(), file->GetAlbum()};
        file->SetTitle(title);
        file->SetArtist(artist);
        file->SetAlbum(album);
        std::string warning;
        ASSERT_TRUE(Succeeded(
            WriteTagsRecorded(*file, before, recorded ? m_history.get() : nullptr, warning)));
        EXPECT_EQ(warning, "");
    }

    static TrackTexts Read(const std::string& path)
    {
        std::unique_ptr<CAudioFile> file = CreateAudioFileFor(path);
        file->SetPath(path);
        EXPECT_TRUE(file->IsValid());
        return {file->GetTitle(), file->GetArtist(), file->GetAlbum()};
    }

    CTempDir m_dir;
    std::unique_ptr<CStateDatabase> m_database;
    std::unique_ptr<CTagHistory> m_history;
};
} // namespace

void PrintTo(const TrackTexts& texts, std::ostream* out)
{
    *out << texts.title << " / " << texts.artist << " / " << texts.album;
}

// Edits are put back one after another, the last first, to the original.
TEST_P(TagHistory, UndoesEditsInTurnToTheOriginal)
{
    const std::string path = Song();
    const TrackTexts original = Read(path);
    Edit(path, "Two", original.artist, original.album);
    Edit(path, "Two", "Other", "Album \xE2\x99\xAA");
    ASSERT_TRUE(Succeeded(m_history->Undo(path)));
    EXPECT_EQ(Read(path), (TrackTexts{"Two", original.artist, original.album}));
    ASSERT_TRUE(Succeeded(m_history->Undo(path)));
    EXPECT_EQ(Read(path), original);
    EXPECT_EQ(m_history->Undo(path).Reason(), "no tag edit of this file to undo");
}

// A change made since by another program is never overwritten.
TEST_P(TagHistory, RefusesAFileChangedSince)
{
    const std::string path = Song();
    Edit(path, "Two", "", "");
    Edit(path, "Three", "", "", false); // not through the history
    EXPECT_EQ(m_history->Undo(path).Reason(),
              "the file has changed since its last tag edit; nothing was undone");
    EXPECT_EQ(Read(path).title, "Three");
}

INSTANTIATE_TEST_SUITE_P(Formats, TagHistory, testing::Values(".mp3", ".ogg", ".wav"),
                         [](const auto& test) { return std::string(test.param + 1); });

// Two writers at once, as the window and a script may be: neither loses
// its record.
TEST(TagHistoryDatabase, TwoConnectionsRecordSideBySide)
{
    CTempDir dir;
    std::unique_ptr<CStateDatabase> first, second;
    ASSERT_TRUE(Succeeded(CStateDatabase::Open(dir.File("state.db"), first)));
    ASSERT_TRUE(Succeeded(CStateDatabase::Open(dir.File("state.db"), second)));
    CTagHistory a(*first), b(*second);
    for (int i = 0; i < 20; ++i)
    {
        std::int64_t edit = 0;
        EXPECT_TRUE(Succeeded(a.Begin(dir.File("a.mp3"), {"x", "", ""}, {"y", "", ""}, edit)));
        EXPECT_NE(edit, 0);
        EXPECT_TRUE(Succeeded(b.Begin(dir.File("b.mp3"), {"x", "", ""}, {"z", "", ""}, edit)));
        EXPECT_NE(edit, 0);
    }
    auto count = first->Prepare("SELECT COUNT(*) FROM tag_edits");
    ASSERT_TRUE(count.Step());
    EXPECT_EQ(count.Integer(0), 40);
}

#include "tracks/Document.h"

#include "support/MP3StreamBuilder.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <fstream>
#include <gtest/gtest.h>

namespace
{
class CountingObserver final : public IDocumentObserver
{
public:
    void OnDocumentChanged(ViewScope scope) override { scopes.push_back(scope); }
    std::vector<ViewScope> scopes;
};

class Document : public testing::Test
{
protected:
    Document() { m_document.AddObserver(&m_observer); }

    std::string Wave(const std::string& name, int milliseconds = 2000)
    {
        return WriteSilentWave(m_dir.File(name), milliseconds);
    }

    std::string Mp3(const std::string& name)
    {
        CMP3StreamBuilder stream;
        stream.Frames(mp3words::kMpeg1L3, mp3words::kMpeg1L3Length, 200);
        stream.WriteTo(m_dir.File(name));
        return m_dir.File(name);
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const TrackInfo* track : m_document.GetTracks())
            paths.push_back(track->path);
        return paths;
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CTunewright20Doc m_document{m_settings};
    CountingObserver m_observer;
    CRecordingHost m_host;
};

// Adding reads the files one at a time or several at once, alike.
class DocumentAdding : public Document, public testing::WithParamInterface<unsigned>
{
};
INSTANTIATE_TEST_SUITE_P(Jobs, DocumentAdding, testing::Values(1u, 4u));
} // namespace

TEST_P(DocumentAdding, AddsReadableFilesOnceInOrderAndCountsThem)
{
    const std::string a = Wave("a.wav"), b = Mp3("b.mp3");
    std::ofstream(m_dir.File("empty.wav")) << "";
    m_document.AddTracks({a, m_dir.File("empty.wav"), b, a, m_dir.File("missing.mp3")}, m_host,
                         GetParam());
    EXPECT_EQ(Paths(), (std::vector<std::string>{a, b}));
    EXPECT_EQ(m_document.GetWavCount(), 1);
    EXPECT_EQ(m_document.GetMp3Count(), 1);
    EXPECT_EQ(m_document.GetTrackCount(), 2);
    const TrackInfo& wave = *m_document.GetTracks()[0];
    EXPECT_EQ(wave.lengthText, "0:02");
    EXPECT_EQ(wave.checkStatus, kCheckNone);
    EXPECT_EQ(m_observer.scopes.back(), ViewScope::AllButFolderList);

    // The same paths again add nothing and show nothing for the known ones.
    m_host.files.clear();
    m_document.AddTracks({a, b}, m_host, GetParam());
    EXPECT_EQ(m_document.GetTrackCount(), 2);
    EXPECT_TRUE(m_host.files.empty());
    // A path differing only in case is another track.
    m_document.AddTracks({Wave("A.wav")}, m_host, GetParam());
    EXPECT_EQ(m_document.GetTrackCount(), 3);
}

TEST_P(DocumentAdding, ProgressIsSetEveryTenthPathAndNeverAtTheEnd)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 25; ++i)
        paths.push_back(m_dir.File("missing" + std::to_string(i) + ".wav"));
    m_document.AddTracks(paths, m_host, GetParam());
    EXPECT_EQ(m_host.progress, (std::vector<int>{0, 40, 80}));
}

TEST_P(DocumentAdding, CancelTakesEffectAtTheNextFileAndKeepsWhatWasAdded)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 20; ++i)
        paths.push_back(Wave(std::to_string(i) + ".wav", 100));
    m_host.onFile = [&](const std::string& path) { m_host.cancelled = path == paths[2]; };
    m_document.AddTracks(paths, m_host, GetParam());
    EXPECT_EQ(Paths(), (std::vector<std::string>{paths[0], paths[1]}));
    EXPECT_EQ(m_host.files.back(), paths[2]) << "nothing is shown after the cancel";
}

TEST_F(Document, TagsAreReadOnlyWhenTheSettingSaysSo)
{
    CWaveBuilder()
        .Format(1, 1, 8000, 8, 1)
        .Chunk("data", std::vector<std::uint8_t>(20000, 128))
        .Chunk("TITL", std::vector<std::uint8_t>{'T', 'i', 't', 0})
        .WriteTo(m_dir.File("tagged.wav"));
    m_document.AddTracks({m_dir.File("tagged.wav")}, m_host);
    EXPECT_EQ(m_document.GetTracks()[0]->title, "Tit");

    m_settings.SetID3Check(false);
    m_document.RemoveTracks({0});
    m_document.AddTracks({m_dir.File("tagged.wav")}, m_host);
    EXPECT_EQ(m_document.GetTracks()[0]->title, "");
}

TEST_F(Document, RemovingPositionsOneAndThreeOfFive)
{
    std::vector<std::string> paths;
    for (int i = 0; i < 5; ++i)
        paths.push_back(Wave(std::to_string(i) + ".wav"));
    m_document.AddTracks(paths, m_host);
    m_document.RemoveTracks({1, 3});
    EXPECT_EQ(Paths(), (std::vector<std::string>{paths[0], paths[2], paths[4]}));
    EXPECT_EQ(m_document.GetWavCount(), 3);

    m_document.ReorderTracks({paths[4], paths[0]});
    EXPECT_EQ(Paths(), (std::vector<std::string>{paths[4], paths[0], paths[2]}))
        << "a track the caller left out is kept at the end";
}

TEST_F(Document, CommandsFollowTheCounts)
{
    EXPECT_FALSE(m_document.CanSaveAnalysisResults());
    EXPECT_FALSE(m_document.CanConvert());
    m_document.AddTracks({Wave("only.wav")}, m_host);
    EXPECT_FALSE(m_document.CanAnalyze());
    EXPECT_FALSE(m_document.CanConvertMp3ToMp3());
    EXPECT_TRUE(m_document.CanConvert());
    EXPECT_TRUE(m_document.CanSaveAnalysisResults());
    EXPECT_FALSE(m_document.CanMoveCorruptFiles());
    m_document.GetTracks()[0]->checkStatus = kCheckCorrupt;
    EXPECT_TRUE(m_document.CanMoveCorruptFiles());

    m_document.SetCurrentFolder(m_dir.Path().string());
    EXPECT_EQ(m_observer.scopes.back(), ViewScope::AllButWorkingList);
}

TEST(DocumentCounts, AnythingButMp3AndOggCountsAsWav)
{
    EXPECT_EQ(CTunewright20Doc::KindForCount("/m/x.Ogg"), kCountOgg);
    EXPECT_EQ(CTunewright20Doc::KindForCount("/m/x.MP3"), kCountMp3);
    EXPECT_EQ(CTunewright20Doc::KindForCount("/m/x.wave"), kCountWav);
    EXPECT_EQ(CTunewright20Doc::KindForCount("/m/xmp3"), kCountWav);
}

#include "tracks/Document.h"

#include "support/FileSizeLimit.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/TrackLists.h"
#include "support/WaveBuilder.h"
#include "tracks/AnalysisReport.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace
{
class Document : public testing::Test
{
protected:
    Document() { m_document.AddObserver(&m_observer); }

    std::string Wave(const std::string& name, int milliseconds = 2000)
    {
        return WriteSilentWave(m_dir.File(name), milliseconds);
    }

    std::vector<std::string> Paths() const { return TrackPaths(m_document.GetTracks()); }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CTunewright20Doc m_document{m_settings};
    CRecordingObserver m_observer;
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
    const std::string a = Wave("a.wav"), b = WriteFramesMp3(m_dir.File("b.mp3"), true, 200);
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

// CR LF line ends; names and tags cannot forge or break lines.
TEST(AnalysisReport, LayoutWithCrLfLineEnds)
{
    TrackInfo ogg;
    ogg.path = "/music/a.ogg";
    ogg.SetTags("Title", "Artist", "Album");
    ogg.SetLength(187000);
    TrackInfo failed;
    failed.path = "/music/b.mp3";
    failed.checkStatus = kCheckCorrupt;
    failed.convertStatus = kConvertFailed;
    TrackInfo evil;
    evil.path = "/music/evil\r\nCheck: OK\r\n.mp3";
    evil.SetTags("a\r\nb", "c\nd", "e\x1B[2J\\");
    evil.checkStatus = kCheckCorrupt;
    EXPECT_EQ(RenderAnalysisReport({&ogg, &failed, &evil}),
              "Analysis Results:\r\n\r\n"
              "File: /music/a.ogg\r\nCheck: no\r\nConvert: no\r\nTitle: Title\r\n"
              "Artist: Artist\r\nAlbum: Album\r\nLength: 3:07\r\n\r\n"
              "File: /music/b.mp3\r\nCheck: Corrupt\r\nConvert: can't convert\r\nTitle: \r\n"
              "Artist: \r\nAlbum: \r\nLength: \r\n\r\n"
              "File: /music/evil\\r\\nCheck: OK\\r\\n.mp3\r\nCheck: Corrupt\r\nConvert: no\r\n"
              "Title: a\\r\\nb\r\nArtist: c\\nd\r\nAlbum: e\\x1B[2J\\\\\r\nLength: \r\n\r\n");
}

// Only a .txt name is written, through a link, never over a read-only file;
// anything else is explained.
TEST(AnalysisReport, GoesThroughALinkAndLeavesAReadOnlyFile)
{
    CTempDir dir;
    CRecordingHost host;
    TrackInfo track;
    track.path = "/music/a.mp3";
    EXPECT_TRUE(SaveAnalysisResults(dir.File("report.TXT"), {&track}, host));
    EXPECT_TRUE(fs::exists(dir.File("report.TXT")));
    std::ofstream(dir.File("real.txt")) << "old";
    fs::create_symlink(dir.File("real.txt"), dir.File("link.txt"));
    EXPECT_TRUE(SaveAnalysisResults(dir.File("link.txt"), {&track}, host));
    EXPECT_TRUE(fs::is_symlink(dir.File("link.txt")));
    EXPECT_EQ(ReadFileBytes(dir.File("real.txt")).size(), RenderAnalysisReport({&track}).size());
    EXPECT_TRUE(host.messages.empty());

    fs::permissions(dir.File("real.txt"), fs::perms::owner_read);
    std::string target;
    EXPECT_FALSE(TryReportTarget(dir.File("link.txt"), target));
    EXPECT_FALSE(SaveAnalysisResults(dir.File("real.txt"), {}, host));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("read-only"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.File("real.txt")).size(), RenderAnalysisReport({&track}).size());

    EXPECT_FALSE(SaveAnalysisResults(dir.File("report.log"), {&track}, host));
    EXPECT_FALSE(fs::exists(dir.File("report.log")));
    EXPECT_NE(host.messages.back().find("report.log"), std::string::npos);
    EXPECT_FALSE(SaveAnalysisResults(dir.File("no/such/folder/r.txt"), {&track}, host));
    EXPECT_NE(host.messages.back().find("No such file"), std::string::npos);
}

namespace
{
// Five tracks in the list; the test says which are corrupt.
class MoveCorrupt : public Document
{
protected:
    void SetUp() override
    {
        fs::create_directory(m_dir.Path() / "out");
        std::vector<std::string> paths;
        for (int i = 0; i < 5; ++i)
            paths.push_back(Wave(std::to_string(i) + ".wav", 1000));
        m_document.AddTracks(paths, m_host);
        m_paths = Paths();
    }

    void Corrupt(std::initializer_list<std::size_t> positions)
    {
        for (std::size_t position : positions)
            m_document.GetTracks()[position]->checkStatus = kCheckCorrupt;
    }

    std::string Out(const std::string& name) const
    {
        return (m_dir.Path() / "out" / name).string();
    }

    std::vector<std::string> m_paths;
};
} // namespace

TEST_F(MoveCorrupt, MovedTracksLeaveTheListAndTheCountsFollow)
{
    Corrupt({1, 3});
    MoveCorruptFiles(m_document, (m_dir.Path() / "out").string(), m_host);
    EXPECT_EQ(Paths(), (std::vector<std::string>{m_paths[0], m_paths[2], m_paths[4]}));
    EXPECT_EQ(m_document.GetWavCount(), 3);
    EXPECT_TRUE(fs::exists(Out("1.wav")));
    EXPECT_FALSE(fs::exists(m_paths[1]));
    EXPECT_TRUE(m_host.messages.empty());
}

TEST_F(MoveCorrupt, ASecondFileOfTheSameNameGetsAFreeName)
{
    fs::create_directory(m_dir.Path() / "other");
    const std::string twin = WriteSilentWave(m_dir.File("other/1.wav"), 2000);
    std::ofstream(Out("1 (2).wav")) << "taken";
    m_document.AddTracks({twin}, m_host);
    Corrupt({1, 5});
    MoveCorruptFiles(m_document, (m_dir.Path() / "out").string(), m_host);
    EXPECT_EQ(m_document.GetTrackCount(), 4);
    EXPECT_TRUE(m_host.questions.empty()) << "nothing of this move is replaced";
    EXPECT_EQ(fs::file_size(Out("1.wav")), fs::file_size(m_paths[0]));
    EXPECT_EQ(fs::file_size(Out("1 (2).wav")), 5u);
    EXPECT_TRUE(fs::exists(Out("1 (3).wav")));
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_NE(m_host.messages[0].find("moved as " + Out("1 (3).wav")), std::string::npos)
        << m_host.messages[0];
}

TEST_F(MoveCorrupt, AnExistingFileIsReplacedOnlyOnYes)
{
    Corrupt({0, 1});
    std::ofstream(Out("0.wav")) << "older";
    std::ofstream(Out("1.wav")) << "older";
    // No for the first question, Yes for the second.
    m_host.onAsk = [&](const std::string&)
    { return m_host.questions.size() == 1 ? HostAnswer::No : HostAnswer::Yes; };
    MoveCorruptFiles(m_document, (m_dir.Path() / "out").string(), m_host);
    ASSERT_EQ(m_host.questions.size(), 2u);
    EXPECT_EQ(m_host.questions[0],
              "The file \n" + Out("0.wav") + "\nalready exists, should it overwrite ?");
    EXPECT_EQ(Paths().front(), m_paths[0]) << "No keeps the track and its file";
    EXPECT_TRUE(fs::exists(m_paths[0]));
    EXPECT_FALSE(fs::exists(m_paths[1])) << "Yes moves it over the older file";
    EXPECT_NE(fs::file_size(Out("1.wav")), 5u);
}

// A file already in the folder, or a move that fails: the file and its track stay.
TEST_F(MoveCorrupt, AFileThatIsNotMovedStaysAndSoDoesItsTrack)
{
    Corrupt({4});
    for (const auto& [folder, message] :
         {std::pair{m_dir.Path().string(), std::string("already in that folder")},
          std::pair{m_dir.File("missing-folder"), m_paths[4]}})
    {
        CRecordingHost host;
        MoveCorruptFiles(m_document, folder, host);
        EXPECT_TRUE(fs::exists(m_paths[4]));
        EXPECT_EQ(m_document.GetTrackCount(), 5);
        EXPECT_TRUE(host.questions.empty());
        ASSERT_EQ(host.messages.size(), 1u);
        EXPECT_NE(host.messages[0].find(message), std::string::npos) << host.messages[0];
    }
}

TEST_F(MoveCorrupt, AcrossFileSystemsTheFileIsCopiedThenRemoved)
{
    struct stat here
    {
    }, there{};
    if (stat("/dev/shm", &there) != 0 || stat(m_dir.Path().c_str(), &here) != 0 ||
        here.st_dev == there.st_dev)
        GTEST_SKIP() << "no second file system to move to";
    const fs::path target = fs::path("/dev/shm") / ("tw-move-" + std::to_string(::getpid()));
    fs::create_directory(target);
    Corrupt({0});
    const auto modified = fs::last_write_time(m_paths[0]) - std::chrono::hours(24 * 400);
    fs::last_write_time(m_paths[0], modified);
    fs::permissions(m_paths[0], fs::perms::owner_read | fs::perms::group_read);
    MoveCorruptFiles(m_document, target.string(), m_host);
    EXPECT_EQ(fs::last_write_time(target / "0.wav"), modified);
    EXPECT_EQ(fs::status(target / "0.wav").permissions(),
              fs::perms::owner_read | fs::perms::group_read);
    EXPECT_FALSE(fs::exists(m_paths[0]));
    EXPECT_EQ(m_document.GetTrackCount(), 4);

    // A full disk there: the copy fails, and the file stays where it was.
    Corrupt({0});
    const std::vector<std::uint8_t> second = ReadFileBytes(m_paths[1]);
    fs::create_directory(target / "full");
    {
        CFileSizeLimit limit(1000);
        if (!limit.Active())
        {
            fs::remove_all(target);
            GTEST_SKIP() << "no file size limits here";
        }
        MoveCorruptFiles(m_document, (target / "full").string(), m_host);
    }
    EXPECT_EQ(ReadFileBytes(m_paths[1]), second);
    EXPECT_TRUE(fs::is_empty(target / "full"));
    EXPECT_EQ(m_document.GetTrackCount(), 4);
    fs::remove_all(target);
}

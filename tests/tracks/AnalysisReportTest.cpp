#include "tracks/AnalysisReport.h"

#include "support/FileSizeLimit.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

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
    EXPECT_EQ(RenderAnalysisReport({&ogg, &failed}),
              "Analysis Results:\r\n\r\n"
              "File: /music/a.ogg\r\nCheck: no\r\nConvert: no\r\nTitle: Title\r\n"
              "Artist: Artist\r\nAlbum: Album\r\nLength: 3:07\r\n\r\n"
              "File: /music/b.mp3\r\nCheck: Corrupt\r\nConvert: can't convert\r\nTitle: \r\n"
              "Artist: \r\nAlbum: \r\nLength: \r\n\r\n");
}

TEST(AnalysisReport, OnlyATxtNameIsWrittenAndAnythingElseIsExplained)
{
    CTempDir dir;
    CRecordingHost host;
    TrackInfo track;
    track.path = "/music/a.mp3";
    EXPECT_TRUE(SaveAnalysisResults(dir.File("report.TXT"), {&track}, host));
    EXPECT_TRUE(fs::exists(dir.File("report.TXT")));
    EXPECT_TRUE(host.messages.empty());

    EXPECT_FALSE(SaveAnalysisResults(dir.File("report.log"), {&track}, host));
    EXPECT_FALSE(fs::exists(dir.File("report.log")));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("report.log"), std::string::npos);

    EXPECT_FALSE(SaveAnalysisResults(dir.File("no/such/folder/r.txt"), {&track}, host));
    EXPECT_NE(host.messages.back().find("No such file"), std::string::npos);
}

namespace
{
class MoveCorrupt : public testing::Test
{
protected:
    void SetUp() override
    {
        fs::create_directory(m_dir.Path() / "out");
        std::vector<std::string> paths;
        for (int i = 0; i < 5; ++i)
            paths.push_back(WriteSilentWave(m_dir.File(std::to_string(i) + ".wav"), 1000));
        m_document.AddTracks(paths, m_host);
        for (TrackInfo* track : m_document.GetTracks())
            m_paths.push_back(track->path);
    }

    void Corrupt(std::initializer_list<std::size_t> positions)
    {
        for (std::size_t position : positions)
            m_document.GetTracks()[position]->checkStatus = kCheckCorrupt;
    }

    std::vector<std::string> Paths() const
    {
        std::vector<std::string> paths;
        for (const TrackInfo* track : m_document.GetTracks())
            paths.push_back(track->path);
        return paths;
    }

    std::string Out(const std::string& name) const
    {
        return (m_dir.Path() / "out" / name).string();
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CTunewright20Doc m_document{m_settings};
    CRecordingHost m_host;
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

TEST_F(MoveCorrupt, AFileAlreadyThereStaysAndSoDoesItsTrack)
{
    Corrupt({2});
    MoveCorruptFiles(m_document, m_dir.Path().string(), m_host);
    EXPECT_TRUE(fs::exists(m_paths[2]));
    EXPECT_EQ(m_document.GetTrackCount(), 5);
    EXPECT_TRUE(m_host.questions.empty());
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_NE(m_host.messages[0].find("already in that folder"), std::string::npos);
}

TEST_F(MoveCorrupt, AFailedMoveIsReportedAndTheTrackStays)
{
    Corrupt({4});
    MoveCorruptFiles(m_document, m_dir.File("missing-folder"), m_host);
    EXPECT_EQ(m_document.GetTrackCount(), 5);
    ASSERT_EQ(m_host.messages.size(), 1u);
    EXPECT_NE(m_host.messages[0].find(m_paths[4]), std::string::npos);
    EXPECT_TRUE(fs::exists(m_paths[4]));
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
    MoveCorruptFiles(m_document, target.string(), m_host);
    EXPECT_TRUE(fs::exists(target / "0.wav"));
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

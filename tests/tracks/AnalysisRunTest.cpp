#include "tracks/AnalysisRun.h"

#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/TrackLists.h"
#include "tracks/RepairRun.h"
#include "tracks/RunThread.h"
#include "tracks/Strings.h"

#include <atomic>
#include <fstream>
#include <future>
#include <gtest/gtest.h>
#include <stdexcept>

namespace
{
class AnalysisRun : public testing::Test
{
protected:
    TrackInfo* Track(const std::string& name, bool sound)
    {
        return &m_list.Add(WriteFramesMp3(m_dir.File(name), sound));
    }

    CTempDir m_dir;
    CTrackList m_list;
    CRecordingHost m_host;
};
} // namespace

TEST_F(AnalysisRun, EachMp3GetsItsPathAndVerdictInTheVerdictsColour)
{
    TrackInfo* good = Track("good.mp3", true);
    TrackInfo* bad = Track("bad.MP3", false);
    TrackInfo* wave = Track("other.wav", true);
    CAnalysisRun(m_list.Refs()).Run(m_host);

    EXPECT_EQ(good->checkStatus, kCheckSound);
    EXPECT_EQ(bad->checkStatus, kCheckCorrupt);
    EXPECT_EQ(wave->checkStatus, kCheckNone) << "only MP3 files are analysed";
    using Line = std::pair<std::string, std::uint32_t>;
    // Under a corrupt file: how much is intact, and where to listen.
    EXPECT_EQ(
        m_host.lines,
        (std::vector<Line>{
            {good->path, kLineBlack},
            {kOkLine, kLineBlack},
            {bad->path, kLineRed},
            {kCorruptLine, kLineRed},
            {"        intact 0:00.627 of 0:00.653 (95.9 %); 1 damaged stretch, 3 bytes", kLineRed},
            {"        0:00.522, byte 8343: frame starts here, but the previous frame ended at "
             "byte 8340",
             kLineRed}}));
    EXPECT_EQ(m_host.captions, (std::vector<std::string>{"Analyzing", "Analyzing"}));
    EXPECT_EQ(m_host.files.back(), "");
    EXPECT_EQ(m_host.progress.back(), 0);

    // A second run leaves the verdicts and shows nothing.
    m_host.lines.clear();
    CAnalysisRun(m_list.Refs()).Run(m_host);
    EXPECT_TRUE(m_host.lines.empty());
}

// Remembering: a second run reads nothing of an unchanged file (junk under
// the same size and time keeps its verdict) and says the verdict is old.
TEST_F(AnalysisRun, RememberedVerdictsComeWithoutReading)
{
    TrackInfo* bad = Track("remembered.mp3", false);
    CAnalysisRun first(m_list.Refs());
    first.RememberChecks(true);
    first.Run(m_host);
    const auto time = std::filesystem::last_write_time(bad->path);
    const std::string zeros(std::filesystem::file_size(bad->path), '\0');
    std::ofstream(bad->path, std::ios::binary) << zeros;
    std::filesystem::last_write_time(bad->path, time);

    bad->checkStatus = kCheckNone;
    m_host.lines.clear();
    CAnalysisRun second(m_list.Refs());
    second.RememberChecks(true);
    second.Run(m_host);
    EXPECT_EQ(bad->checkStatus, kCheckCorrupt);
    ASSERT_EQ(m_host.lines.size(), 4u);
    EXPECT_EQ(m_host.lines[2].first.rfind("        as checked on ", 0), 0u);
    EXPECT_EQ(m_host.lines[3].first,
              "        intact 0:00.627 of 0:00.653 (95.9 %); 1 damaged stretch, 3 bytes");
}

TEST_F(AnalysisRun, CancelTakesEffectBeforeTheNextFile)
{
    for (int i = 0; i < 5; ++i)
        Track(std::to_string(i) + ".mp3", true);
    // Cancel while the third file is being checked.
    m_host.onFile = [&](const std::string& path)
    {
        if (path == m_list[2].path)
            m_host.cancelled = true;
    };
    CAnalysisRun(m_list.Refs()).Run(m_host);
    EXPECT_EQ(m_list[1].checkStatus, kCheckSound);
    EXPECT_EQ(m_list[2].checkStatus, kCheckNone) << "the flag is read before the file";
    EXPECT_EQ(m_host.lines.back(),
              (std::pair<std::string, std::uint32_t>{"Aborted at user request!", kLineRed}));
}

TEST_F(AnalysisRun, AnUnreadableFileOrOneWithoutAudioIsCorruptAndSaysWhy)
{
    std::ofstream(m_dir.File("empty.mp3")).close();
    TrackInfo& gone = m_list.Add(m_dir.File("gone.mp3"));
    TrackInfo& empty = m_list.Add(m_dir.File("empty.mp3"));
    CAnalysisRun(m_list.Refs()).Run(m_host);
    EXPECT_EQ(gone.checkStatus, kCheckCorrupt);
    EXPECT_EQ(empty.checkStatus, kCheckCorrupt);
    EXPECT_EQ(empty.checkNote, "no MPEG audio found");
    ASSERT_EQ(m_host.lines.size(), 6u);
    EXPECT_NE(m_host.lines[2].first.find("No such file"), std::string::npos);
    EXPECT_EQ(m_host.lines[5],
              (std::pair<std::string, std::uint32_t>{"        no MPEG audio found", kLineRed}));
}

TEST(RunThread, ReportsTheEndOnEveryWayOut)
{
    std::atomic<int> finished = 0;
    {
        CRunThread thread([] {}, [&] { ++finished; });
        EXPECT_TRUE(thread.WaitFor(std::chrono::seconds(5)));
        EXPECT_FALSE(thread.IsRunning());
    }
    {
        CRunThread thread([] { throw std::runtime_error("fails"); }, [&] { ++finished; });
        EXPECT_TRUE(thread.WaitFor(std::chrono::seconds(5)));
    }
    EXPECT_EQ(finished, 2);

    // The owner may drop the thread from `finished`, as a closing dialog does.
    std::promise<void> ready, dropped;
    std::shared_future<void> go = ready.get_future().share();
    CRunThread* owned = nullptr;
    owned = new CRunThread([go] { go.wait(); },
                           [&]
                           {
                               delete owned;
                               dropped.set_value();
                           });
    ready.set_value();
    EXPECT_EQ(dropped.get_future().wait_for(std::chrono::seconds(5)), std::future_status::ready);
}

// The repair run works on the tracks checked Corrupt, and each shows what
// its file is afterwards.
TEST_F(AnalysisRun, RepairRunMendsCorruptTracksAndChecksThemAgain)
{
    TrackInfo* good = Track("good.mp3", true);
    TrackInfo* bad = Track("bad.mp3", false);
    TrackInfo* unchecked = Track("unchecked.mp3", false);
    CAnalysisRun({good, bad}).Run(m_host);
    m_host.lines.clear();

    CRepairRun(m_list.Refs(), {}).Run(m_host);
    EXPECT_EQ(bad->checkStatus, kCheckSound);
    EXPECT_EQ(unchecked->checkStatus, kCheckNone);
    ASSERT_EQ(m_host.lines.size(), 2u);
    EXPECT_EQ(m_host.lines[0].first, bad->path);
    EXPECT_EQ(
        m_host.lines[1].first.rfind("        repaired: 1 stretch of junk removed (420 bytes)", 0),
        0u);
    EXPECT_EQ(m_host.lines[1].second, kLineBlack);
}

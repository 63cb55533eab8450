#include "RunTestSupport.h"
#include "settings/SettingsStore.h"
#include "support/AudioFiles.h"
#include "support/MP3StreamBuilder.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/Document.h"
#include "ui/common/HelpContext.h"
#include "ui/runs/ColorListBox.h"
#include "ui/runs/DlgAddTracks.h"
#include "ui/runs/DlgMP3Analyzing.h"
#include "ui/runs/PathLabel.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QProgressBar>
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <gtest/gtest.h>

using namespace mp3words;

namespace
{
class RunDialogs : public testing::Test
{
protected:
    std::string SoundMp3(const std::string& name, std::size_t frames = 40)
    {
        CMP3StreamBuilder().Frames(kMpeg1L3, kMpeg1L3Length, frames).WriteTo(m_dir.File(name));
        return m_dir.File(name);
    }

    std::string CorruptMp3(const std::string& name)
    {
        CMP3StreamBuilder()
            .Frames(kMpeg1L3, kMpeg1L3Length, 20)
            .Zeros(3)
            .Frames(kMpeg1L3, kMpeg1L3Length, 5)
            .WriteTo(m_dir.File(name));
        return m_dir.File(name);
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CTunewright20Doc m_doc{m_settings};
    CHelpContext m_help;
};

const std::string kOk = "        ===> File OK! ";
const std::string kCorrupt = "        ===> FILE CORRUPT!!!  Please convert.";
} // namespace

TEST_F(RunDialogs, AddTracksReadsTheFilesAndClosesByItself)
{
    const std::vector<std::string> paths = {
        WriteTestWave(m_dir.File("a.wav"), 0.2), WriteTestMp3(m_dir.File("b.mp3"), 0.3, "Bee"),
        WriteTestOgg(m_dir.File("c.ogg"), 0.3), m_dir.File("missing.wav")};
    CDlgAddTracks dialog(m_doc, paths);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Read Files Information"));
    dialog.exec();
    m_doc.FinishChange();

    EXPECT_EQ(TrackPaths(m_doc), (std::vector<std::string>{paths[0], paths[1], paths[2]}));
    EXPECT_EQ(m_doc.GetTracks()[1]->title, std::string("Bee"));
    EXPECT_EQ(m_doc.GetMp3Count(), 1);
    EXPECT_FALSE(dialog.IsRunning());
}

TEST_F(RunDialogs, CancellingAddTracksKeepsWhatWasAdded)
{
    // MP3s without a length header are read to their end, which keeps the
    // work going long after the cancel even on a busy machine.
    const std::string first = SoundMp3("0.mp3", 20000);
    std::vector<std::string> paths{first};
    for (int i = 1; i < 2000; ++i)
    {
        paths.push_back(m_dir.File(std::to_string(i) + ".mp3"));
        std::filesystem::create_hard_link(first, paths.back());
    }
    CDlgAddTracks dialog(m_doc, paths);
    auto* current = dialog.findChild<CPathLabel*>(QStringLiteral("currentFile"));
    // Esc and the close box only ask to stop, once the second file is in hand.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout,
                     [&]
                     {
                         if (current->Path().isEmpty() ||
                             current->Path() == QString::fromStdString(paths[0]))
                             return;
                         poll.stop();
                         dialog.reject();
                         dialog.close();
                         EXPECT_TRUE(dialog.isVisible());
                     });
    poll.start(0);
    dialog.exec();

    const std::vector<std::string> added = TrackPaths(m_doc);
    ASSERT_GE(added.size(), 1u);
    EXPECT_LT(added.size(), paths.size());
    EXPECT_EQ(added, std::vector<std::string>(paths.begin(), paths.begin() + added.size()))
        << "what was read before the cancel stays, in order";
}

TEST_F(RunDialogs, AnalysisShowsEachMp3AndItsVerdictThenClosesByItself)
{
    const std::string good = SoundMp3("good.mp3"), bad = CorruptMp3("bad.mp3");
    const std::string wave = WriteSilentWave(m_dir.File("w.wav"), 500);
    CRecordingHost adding;
    m_doc.AddTracks({good, wave, bad}, adding);
    ASSERT_EQ(m_doc.GetTrackCount(), 3);
    {
        CDlgMP3Analyzing dialog(m_doc.GetTracks(), m_help, nullptr, &m_settings);
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Analyze MP3 Files"));
        EXPECT_EQ(m_help.Get(), CHelpContext::kAnalyzing);
        // The deep check is off unless chosen, and the choice is kept.
        auto* decode = dialog.findChild<QCheckBox*>(QStringLiteral("decodeCheck"));
        ASSERT_NE(decode, nullptr);
        EXPECT_FALSE(decode->isChecked());
        decode->setChecked(true);
        EXPECT_TRUE(m_settings.GetDecodeCheck());
        dialog.exec();

        EXPECT_EQ(dialog.findChild<QGroupBox*>(QStringLiteral("caption"))->title(),
                  QStringLiteral("Analyzing"));
        using Line = std::pair<std::string, std::uint32_t>;
        const std::vector<Line> lines = ResultLines(dialog);
        ASSERT_GE(lines.size(), 5u);
        EXPECT_EQ(
            std::vector<Line>(lines.begin(), lines.begin() + 4),
            (std::vector<Line>{
                {good, kLineBlack}, {kOk, kLineBlack}, {bad, kLineRed}, {kCorrupt, kLineRed}}));
        EXPECT_EQ(lines[4].first.substr(0, 15), "        intact ") << "where and how much";
        EXPECT_TRUE(dialog.findChild<CPathLabel*>(QStringLiteral("currentFile"))->Path().isEmpty());
    }
    EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
    const TrackRefs tracks = m_doc.GetTracks();
    EXPECT_EQ(tracks[0]->checkStatus, kCheckSound);
    EXPECT_EQ(tracks[1]->checkStatus, kCheckNone);
    EXPECT_EQ(tracks[2]->checkStatus, kCheckCorrupt);
}

TEST_F(RunDialogs, CancelAmongThousandsOfSmallFilesStopsAtTheNextFile)
{
    // Small files go by faster than a window could show each one: the
    // cancel must still reach the worker at once.
    const std::string first = SoundMp3("0.mp3", 150);
    std::vector<std::unique_ptr<TrackInfo>> records;
    TrackRefs tracks;
    for (int i = 0; i < 5000; ++i)
    {
        records.push_back(std::make_unique<TrackInfo>());
        records.back()->path = m_dir.File(std::to_string(i) + ".mp3");
        if (i > 0)
            std::filesystem::create_hard_link(first, records.back()->path);
        tracks.push_back(records.back().get());
    }
    const auto checkedSoFar = [&]
    {
        // Read while the worker writes them, as single aligned words.
        return std::count_if(records.begin(), records.end(),
                             [](const std::unique_ptr<TrackInfo>& track)
                             { return std::atomic_ref(track->checkStatus).load() != kCheckNone; });
    };

    CDlgMP3Analyzing dialog(tracks, m_help);
    std::ptrdiff_t checkedAtCancel = -1;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout,
                     [&]
                     {
                         if (ResultLines(dialog).empty())
                             return;
                         poll.stop();
                         dialog.close(); // only asks to stop
                         EXPECT_TRUE(dialog.isVisible());
                         checkedAtCancel = checkedSoFar();
                     });
    poll.start(0);
    dialog.exec();

    const std::ptrdiff_t checked = checkedSoFar();
    ASSERT_GE(checkedAtCancel, 1);
    EXPECT_LE(checked - checkedAtCancel, 2) << "the file in hand is finished, no further one";
    for (std::size_t i = 0; i < tracks.size(); ++i)
        ASSERT_EQ(tracks[i]->checkStatus, i < std::size_t(checked) ? kCheckSound : kCheckNone) << i;
    const auto lines = ResultLines(dialog);
    ASSERT_EQ(lines.size(), 2 * std::size_t(checked) + 1) << "every checked file is reported";
    EXPECT_EQ(lines[lines.size() - 3].first, tracks[std::size_t(checked) - 1]->path);
    EXPECT_EQ(lines.back(),
              (std::pair<std::string, std::uint32_t>{"Aborted at user request!", kLineRed}));
}

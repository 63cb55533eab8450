#include "ui/runs/DocumentCommands.h"

#include "RunTestSupport.h"
#include "settings/SettingsStore.h"
#include "support/AudioFiles.h"
#include "support/MP3StreamBuilder.h"
#include "support/MemorySettingsStorage.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/AnalysisReport.h"
#include "ui/common/HelpContext.h"

#include <filesystem>
#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace mp3words;

namespace
{
class CRecordingObserver final : public IDocumentObserver
{
public:
    void OnDocumentChanged(ViewScope scope) override { scopes.push_back(scope); }
    std::vector<ViewScope> scopes;
};

class DocumentCommands : public testing::Test
{
protected:
    DocumentCommands()
    {
        fs::create_directory(m_dir.Path() / "out");
        m_settings.SetTrackDir(m_dir.File("out"));
        m_doc.SetStopPlayback([this] { ++m_stops; });
        m_doc.AddObserver(&m_observer);
        m_commands.presenter = m_presenter.Presenter();
        m_commands.chooseReportFile = [this](QWidget*) { return m_chosen; };
        m_commands.chooseMoveFolder = [this](QWidget*, const QString& start)
        {
            m_folderStart = start;
            return m_chosen;
        };
    }

    std::string Mp3(const std::string& name, bool sound)
    {
        CMP3StreamBuilder stream;
        stream.Frames(kMpeg1L3, kMpeg1L3Length, 200);
        if (!sound)
            stream.Zeros(3).Frames(kMpeg1L3, kMpeg1L3Length, 20);
        stream.WriteTo(m_dir.File(name));
        return m_dir.File(name);
    }

    CTempDir m_dir;
    CMemorySettingsStorage m_storage;
    CSettingsStore m_settings{m_storage};
    CTunewright20Doc m_doc{m_settings};
    CHelpContext m_help;
    CRecordingPresenter m_presenter;
    CRecordingObserver m_observer;
    int m_stops = 0;
    QString m_chosen;
    QString m_folderStart;
    CDocumentCommands m_commands{m_doc, m_settings, m_help, nullptr, nullptr};
};
} // namespace

TEST_F(DocumentCommands, AddAnalyseAndMoveTheCorruptFilesAway)
{
    const std::string good = Mp3("good.mp3", true), bad = Mp3("bad.mp3", false);
    const std::string wave = WriteSilentWave(m_dir.File("w.wav"), 500);
    m_commands.AddTracks({good, bad, wave, good});
    EXPECT_EQ(TrackPaths(m_doc), (std::vector<std::string>{good, bad, wave}));
    EXPECT_EQ(m_doc.GetMp3Count(), 2);
    EXPECT_EQ(m_stops, 1);
    EXPECT_EQ(m_observer.scopes, std::vector<ViewScope>{ViewScope::AllButFolderList});

    m_commands.Analyze(m_doc.GetTracks());
    EXPECT_EQ(m_stops, 2);
    EXPECT_EQ(m_observer.scopes.size(), 2u);
    ASSERT_TRUE(m_doc.HasCorruptTracks());

    // A cancelled folder choice moves nothing, but still updates the views.
    m_doc.SetCurrentFolder(m_dir.Path().string());
    m_observer.scopes.clear();
    m_commands.MoveCorruptFiles();
    EXPECT_EQ(m_folderStart, QString::fromStdString(m_dir.Path().string()));
    EXPECT_EQ(m_doc.GetTrackCount(), 3);
    EXPECT_EQ(m_observer.scopes, std::vector<ViewScope>{ViewScope::AllButFolderList});

    fs::create_directory(m_dir.Path() / "corrupt");
    m_chosen = QString::fromStdString(m_dir.File("corrupt"));
    m_commands.MoveCorruptFiles();
    EXPECT_EQ(m_stops, 4);
    EXPECT_EQ(TrackPaths(m_doc), (std::vector<std::string>{good, wave}));
    EXPECT_FALSE(fs::exists(bad));
    EXPECT_TRUE(fs::exists(m_dir.Path() / "corrupt" / "bad.mp3"));
    EXPECT_TRUE(m_presenter.messages.empty());
}

TEST_F(DocumentCommands, SaveAnalysisResultsWritesTheReportToTheChosenTextFile)
{
    m_commands.AddTracks({Mp3("a.mp3", true), WriteSilentWave(m_dir.File("b.wav"), 500)});
    ASSERT_EQ(m_doc.GetTrackCount(), 2);

    m_commands.SaveAnalysisResults(); // cancelled: nothing written
    EXPECT_EQ(m_stops, 2);

    m_chosen = QString::fromStdString(m_dir.File("report.TXT"));
    m_commands.SaveAnalysisResults();
    const std::vector<std::uint8_t> written = ReadFileBytes(m_dir.File("report.TXT"));
    EXPECT_EQ(std::string(written.begin(), written.end()), RenderAnalysisReport(m_doc.GetTracks()));

    m_chosen = QString::fromStdString(m_dir.File("report.log"));
    m_commands.SaveAnalysisResults();
    EXPECT_FALSE(fs::exists(m_dir.File("report.log")));
    ASSERT_EQ(m_presenter.messages.size(), 1u);
    EXPECT_EQ(m_presenter.messages[0].second, MessageIcon::Exclamation);
}

TEST_F(DocumentCommands, ConvertRunsTheTargetsDialogOverTheGivenTracks)
{
    m_commands.AddTracks(
        {WriteTestWave(m_dir.File("a.wav"), 0.2), WriteTestWave(m_dir.File("b.wav"), 0.2)});
    m_observer.scopes.clear();
    ClickInModalDialog(QStringLiteral("start"));
    m_commands.Convert(ConversionTarget::Ogg, m_doc.GetTracksAt({1}));

    EXPECT_EQ(m_stops, 2);
    EXPECT_EQ(m_observer.scopes, std::vector<ViewScope>{ViewScope::AllButFolderList});
    EXPECT_EQ(m_doc.GetTracks()[0]->convertStatus, kConvertNone);
    EXPECT_EQ(m_doc.GetTracks()[1]->convertStatus, kConvertWavToOgg);
    EXPECT_TRUE(fs::exists(m_dir.File("out/b.ogg")));
    EXPECT_FALSE(fs::exists(m_dir.File("out/a.ogg")));
    EXPECT_EQ(m_help.Get(), CHelpContext::kMain);
}

#include "ui/frame/MainFrame.h"

#include "audio/play/WavePlayer.h"
#include "settings/SettingsStore.h"
#include "support/FakeAudioDevice.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/Document.h"
#include "ui/common/HelpContext.h"
#include "ui/frame/FramePlacement.h"
#include "ui/frame/HelpWindow.h"
#include "ui/tree/FolderTreeCtrl.h"
#include "ui/tree/TreeView1.h"
#include "ui/views/ListSelectedTracksListView.h"
#include "ui/views/ListTracksView.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QMainWindow>
#include <QToolBar>
#include <gtest/gtest.h>

namespace
{
class MainFrame : public ::testing::Test
{
protected:
    MainFrame() { storage.PutString("LastPath", "Path", dir.Path().string()); }

    CMainFrame& Frame()
    {
        if (!frame)
            frame = std::make_unique<CMainFrame>(
                doc, settings, storage, help, [] { return std::make_unique<CFakeAudioDevice>(); });
        return *frame;
    }

    // Activates `pane` and expects the commands `on` enabled, `off` not.
    void ExpectEnabled(CMainFrame::Pane pane, std::initializer_list<int> on,
                       std::initializer_list<int> off)
    {
        Frame().ActivatePane(pane);
        for (int id : on)
            EXPECT_TRUE(Frame().Action(id)->isEnabled()) << pane << ": " << id;
        for (int id : off)
            EXPECT_FALSE(Frame().Action(id)->isEnabled()) << pane << ": " << id;
    }

    void AddFiles(const std::vector<std::string>& names)
    {
        std::vector<std::string> paths;
        for (const std::string& name : names)
            paths.push_back(WriteSilentWave(dir.File(name), 2000));
        CRecordingHost host;
        doc.AddTracks(paths, host);
    }

    CTempDir dir;
    CMemorySettingsStorage storage;
    CSettingsStore settings{storage};
    CHelpContext help;
    CTunewright20Doc doc{settings};
    std::unique_ptr<CMainFrame> frame;
};

} // namespace

TEST_F(MainFrame, EnablingFollowsTheActivePaneAndTheList)
{
    ExpectEnabled(CMainFrame::kPaneWorkingList,
                  {kCmdPlayTrack, kCmdStopPlaying, kCmdSettings, kCmdViewToolbar},
                  {kCmdSaveAnalysisResults, kCmdMoveCorruptFiles, kCmdAnalyze, kCmdConvertToWav,
                   kCmdEditTags, kCmdRemoveTracks, kCmdAnalyzeSelected, kCmdAddTracks,
                   kCmdRepairCorrupt, kCmdRepairSelected});
    ExpectEnabled(CMainFrame::kPaneTree, {kCmdAddTracks}, {kCmdPlayTrack, kCmdEditTags});

    AddFiles({"a.wav", "b.wav"});
    doc.SetCurrentFolder(dir.Path().string());
    ExpectEnabled(CMainFrame::kPaneFolderList, {}, {kCmdAddTracks});
    ASSERT_EQ(Frame().FolderList().List().model()->rowCount(), 2);
    Frame().FolderList().List().selectAll();
    ExpectEnabled(CMainFrame::kPaneFolderList, {kCmdAddTracks}, {});

    // Only WAV tracks: no analysis, no MP3 re-encoding, conversions open.
    ExpectEnabled(CMainFrame::kPaneWorkingList,
                  {kCmdSaveAnalysisResults, kCmdConvertToWav, kCmdConvertToMp3, kCmdConvertToOgg},
                  {kCmdAnalyze, kCmdConvertMp3ToMp3, kCmdMoveCorruptFiles, kCmdRepairCorrupt});

    doc.GetTracks()[0]->checkStatus = kCheckCorrupt;
    Frame().WorkingList().SelectRow(1);
    ExpectEnabled(CMainFrame::kPaneWorkingList,
                  {kCmdMoveCorruptFiles, kCmdRepairCorrupt, kCmdRepairSelected, kCmdEditTags,
                   kCmdRemoveTracks},
                  {});
    ExpectEnabled(CMainFrame::kPaneFolderList, {}, {kCmdEditTags});
}

TEST_F(MainFrame, PaneSizesComeBackAsTheTreesOuterSizeAndHiddenBarsStayHidden)
{
    storage.PutInt("Splitter", "LeftWidth", 230);
    storage.PutInt("Splitter", "LeftHeight", 190);
    storage.PutString("Main Frame", "Rectangle", "0040 0030 1040 0730");
    Frame().ShowAtStoredPlacement();
    EXPECT_EQ(Frame().geometry(), QRect(40, 30, 1000, 700));
    EXPECT_EQ(Frame().TreeView().width(), 230);
    EXPECT_EQ(Frame().TreeView().height(), 190);

    // Later resizing keeps the bars where they are; hidden bars stay hidden.
    Frame().resize(1200, 800);
    EXPECT_EQ(Frame().TreeView().width(), 230);
    Frame().Execute(kCmdViewToolbar);
    Frame().Execute(kCmdViewStatusBar);
    EXPECT_FALSE(Frame().Action(kCmdViewToolbar)->isChecked());
    Frame().close();
    EXPECT_EQ(storage.ReadInt("Splitter", "LeftWidth"), 230);
    EXPECT_EQ(storage.ReadInt("Splitter", "LeftHeight"), 190);
    EXPECT_EQ(storage.ReadString("Main Frame", "Rectangle"), "0040 0030 1240 0830");
    EXPECT_EQ(storage.ReadInt("Main Frame", "Maximized"), 0);
    frame.reset();
    Frame().ShowAtStoredPlacement();
    EXPECT_TRUE(Frame().ToolBar()->isHidden());
    EXPECT_FALSE(Frame().Action(kCmdViewStatusBar)->isChecked());
}

TEST_F(MainFrame, PaneSizesKeepTheirMinimums)
{
    storage.PutInt("Splitter", "LeftWidth", 20);
    storage.PutInt("Splitter", "LeftHeight", 5000);
    Frame().resize(800, 600);
    Frame().ShowAtStoredPlacement();
    EXPECT_GE(Frame().TreeView().width(), 100);
    EXPECT_GE(Frame().FolderList().height(), 100);
    EXPECT_GE(Frame().WorkingList().width(), 200);
}

TEST_F(MainFrame, HelpOpensTheTopicOfTheHelpContext)
{
    Frame().Execute(kCmdHelpContents);
    ASSERT_NE(Frame().HelpWindow(), nullptr);
    EXPECT_EQ(Frame().HelpWindow()->CurrentPage(), "index.html");
    {
        CHelpContextScope analysing(help, CHelpContext::kAnalyzing);
        Frame().Execute(kCmdHelpContents);
        EXPECT_EQ(Frame().HelpWindow()->CurrentPage(), "Analyzingtracks.html");
    }
    EXPECT_EQ(help.Get(), CHelpContext::kMain);
}

TEST_F(MainFrame, HelpOverAModalDialogBelongsToTheDialog)
{
    QDialog dialog(&Frame());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.show();
    CHelpContextScope tags(help, CHelpContext::kEditTags);
    QKeyEvent f1(QEvent::KeyPress, Qt::Key_F1, Qt::NoModifier);
    QCoreApplication::sendEvent(&dialog, &f1);
    const auto* window = dialog.findChild<CHelpWindow*>();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->CurrentPage(), "Editid3tags.html");
    EXPECT_EQ(Frame().HelpWindow(), nullptr);
}

// The status bar shows "Ready" and the counts too.
TEST_F(MainFrame, CommandsFollowTheListOnceAChangeIsOverAndPlayTheSelectedTrack)
{
    Frame().ActivatePane(CMainFrame::kPaneWorkingList);
    EXPECT_FALSE(Frame().Action(kCmdConvertToWav)->isEnabled());
    EXPECT_EQ(Frame().StatusPaneText(0), "Ready");
    AddFiles({"a.wav", "b.ogg.wav"});
    QCoreApplication::processEvents();
    EXPECT_EQ(Frame().StatusPaneText(1), "Tracks: 2");
    EXPECT_EQ(Frame().StatusPaneText(2), "WAVs: 2");
    EXPECT_TRUE(Frame().Action(kCmdConvertToWav)->isEnabled());
    EXPECT_TRUE(Frame().Action(kCmdSaveAnalysisResults)->isEnabled());

    Frame().WorkingList().SelectRow(0);
    Frame().Execute(kCmdPlayTrack);
    ASSERT_NE(Frame().WorkingList().Player(), nullptr);
    EXPECT_TRUE(Frame().WorkingList().Player()->IsPlaying());
    Frame().Execute(kCmdStopPlaying);
    EXPECT_FALSE(Frame().WorkingList().Player()->IsPlaying());
}

TEST_F(MainFrame, NextPaneKeysCycleThroughThePanesAndGiveThemTheKeyboard)
{
    Frame().ShowAtStoredPlacement();
    QApplication::setActiveWindow(&Frame());
    EXPECT_EQ(Frame().ActivePane(), CMainFrame::kPaneWorkingList);
    Frame().ActivateNextPane(true);
    EXPECT_EQ(Frame().ActivePane(), CMainFrame::kPaneTree);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(&Frame().TreeView().Tree()));
    Frame().ActivateNextPane(false);
    Frame().ActivateNextPane(false);
    EXPECT_EQ(Frame().ActivePane(), CMainFrame::kPaneFolderList);
}

// Damaged texts read as nothing.
TEST(FramePlacement, RectangleTextRoundTrips)
{
    const QRect rect(100, 50, 800, 600);
    EXPECT_EQ(FormatRectangle(rect), "0100 0050 0900 0650");
    EXPECT_EQ(ParseRectangle("0100 0050 0900 0650"), rect);
    // Left of the primary monitor the text grows; it still reads back.
    const QRect wide(-1920, -5, 1600, 900);
    EXPECT_EQ(FormatRectangle(wide), "-1920 -005 -320 0895");
    EXPECT_EQ(ParseRectangle(FormatRectangle(wide)), wide);
    for (const char* text : {"", "0100 0050 0900", "abc", "0900 0050 0100 0650",
                             "0100 0050 0100 0650", "1 2 99999999999 4"})
        EXPECT_FALSE(ParseRectangle(text).has_value()) << text;
}

TEST(FramePlacement, StoredValuesRoundTrip)
{
    CMemorySettingsStorage storage;
    FramePlacement placement;
    EXPECT_FALSE(FramePlacement::Load(storage).normal.has_value());
    placement.normal = QRect(10, 20, 300, 200);
    placement.iconized = true;
    placement.maximized = true;
    placement.Save(storage);
    EXPECT_EQ(storage.ReadString("Main Frame", "Rectangle"), "0010 0020 0310 0220");
    const FramePlacement loaded = FramePlacement::Load(storage);
    EXPECT_EQ(loaded.normal, placement.normal);
    EXPECT_TRUE(loaded.iconized);
    EXPECT_TRUE(loaded.maximized);
}

TEST(FramePlacement, ApplyChoosesTheShowStateAndMinimisedFromMaximisedRestoresToMaximised)
{
    QMainWindow window;
    CFramePlacement keeper(window);
    FramePlacement placement;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowNoState);
    placement.maximized = true;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowMaximized);
    placement.iconized = true;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowMinimized | Qt::WindowMaximized);
    placement.maximized = false;
    EXPECT_EQ(keeper.Apply(placement), Qt::WindowMinimized);

    // Minimised from maximised, the window restores to maximised.
    window.setWindowState(Qt::WindowMinimized);
    keeper.OnStateChanged(Qt::WindowMaximized);
    FramePlacement captured = keeper.Capture();
    EXPECT_TRUE(captured.iconized);
    EXPECT_TRUE(captured.maximized);

    window.setWindowState(Qt::WindowNoState);
    keeper.OnStateChanged(Qt::WindowMinimized);
    window.setWindowState(Qt::WindowMinimized);
    keeper.OnStateChanged(Qt::WindowNoState);
    captured = keeper.Capture();
    EXPECT_TRUE(captured.iconized);
    EXPECT_FALSE(captured.maximized);
}

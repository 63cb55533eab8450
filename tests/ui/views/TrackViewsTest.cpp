#include "audio/play/WavePlayer.h"
#include "support/FakeAudioDevice.h"
#include "support/MemorySettingsStorage.h"
#include "support/RecordingHost.h"
#include "support/TempDir.h"
#include "support/WaveBuilder.h"
#include "tracks/AudioTrack.h"
#include "ui/common/DragData.h"
#include "ui/common/UiText.h"
#include "ui/views/ListSelectedTracksListView.h"
#include "ui/views/ListTracksView.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>

namespace
{
// A document with a working list and a folder list over a temporary folder
// of silent WAV files of different lengths.
class TrackViews : public ::testing::Test
{
protected:
    TrackViews()
    {
        WriteSilentWave(dir.File("b.wav"), 61500);
        WriteSilentWave(dir.File("A.WAV"), 599000);
        WriteSilentWave(dir.File("c.wav"), 605000);
        doc.SetCurrentFolder(dir.Path().string());
    }

    WorkingListActions Actions()
    {
        WorkingListActions actions;
        actions.addTracks = [this](const std::vector<std::string>& paths)
        {
            added.push_back(paths);
            CRecordingHost host;
            doc.AddTracks(paths, host);
        };
        actions.setStatusText = [this](int pane, const QString& text) { status[pane] = text; };
        actions.editTags = [this](const std::vector<std::size_t>& rows) { edited = rows; };
        actions.createDevice = [this]
        {
            auto device = std::make_unique<CFakeAudioDevice>();
            devices.push_back(device.get());
            return device;
        };
        return actions;
    }

    std::vector<std::string> DocumentOrder() const
    {
        std::vector<std::string> names;
        for (const TrackInfo* track : doc.GetTracks())
            names.push_back(std::filesystem::path(track->path).filename().string());
        return names;
    }

    std::unique_ptr<QMimeData> FolderDrag() const
    {
        return MakeFolderDrag(QString::fromStdString(dir.Path().string()));
    }

    static QStringList Column(const QAbstractItemView& list, int column)
    {
        QStringList texts;
        for (int row = 0; row < list.model()->rowCount(); ++row)
            texts.append(list.model()->index(row, column).data().toString());
        return texts;
    }

    CTempDir dir;
    CMemorySettingsStorage storage;
    CSettingsStore settings{storage};
    CTunewright20Doc doc{settings};
    std::vector<std::vector<std::string>> added;
    std::map<int, QString> status;
    std::vector<std::size_t> edited;
    std::vector<CFakeAudioDevice*> devices; // owned by the players
};

// Drops `data` onto the list as a file manager would, offering `actions`;
// true when the list took it as a copy. The files are added once the
// events after the drop have run.
bool Drop(CListSelectedTracksListView& list, const QMimeData& data,
          Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction)
{
    QDragEnterEvent enter(QPoint(10, 10), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &enter);
    QDropEvent drop(QPointF(10, 10), actions, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(list.viewport(), &drop);
    QCoreApplication::processEvents();
    return enter.isAccepted() && drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

// Adds `row` to the list's selection, as a Ctrl+click does.
void Select(QAbstractItemView& list, int row)
{
    list.selectionModel()->select(list.model()->index(row, 0),
                                  QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ReleaseKey(QWidget& widget, int key)
{
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &release);
}

// The working list with the folder's three files dropped onto it.
class FilledWorkingList : public TrackViews
{
protected:
    FilledWorkingList() { Drop(list, *FolderDrag()); }

    CListSelectedTracksListView list{doc, storage, Actions()};
};
} // namespace

TEST_F(TrackViews, FolderListShowsTheFolderSortedAndAddsTheSelection)
{
    WriteFileBytes(dir.File("d.mp3.bak"), {1});
    std::filesystem::create_directory(dir.Path() / "x.mp3");
    CListTracksView folder(doc, [this](const std::vector<std::string>& paths)
                           { added.push_back(paths); });
    EXPECT_EQ(Column(folder.List(), 0), QStringList({"A.WAV", "b.wav", "c.wav"}));
    EXPECT_TRUE(folder.List().model()->flags(folder.List().model()->index(0, 0)) &
                Qt::ItemIsDragEnabled)
        << "without it the list never starts a drag";

    bool enabled = true;
    ASSERT_TRUE(folder.QueryCommand(kCmdAddTracks, enabled));
    EXPECT_FALSE(enabled);
    Select(folder.List(), 2);
    Select(folder.List(), 0);
    ASSERT_TRUE(folder.QueryCommand(kCmdAddTracks, enabled));
    EXPECT_TRUE(enabled);
    folder.RunCommand(kCmdAddTracks);
    ASSERT_EQ(added.size(), 1u);
    EXPECT_EQ(added[0], (std::vector<std::string>{dir.File("A.WAV"), dir.File("c.wav")}));

    ReleaseKey(folder.List(), Qt::Key_A);
    EXPECT_EQ(folder.List().SelectedPaths().size(), 3);
    emit folder.List().doubleClicked(folder.List().model()->index(1, 0));
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[1].size(), 3u);

    // Choosing another folder refills; the working list's changes do not.
    std::filesystem::create_directory(dir.Path() / "other");
    doc.SetCurrentFolder(dir.File("other"));
    EXPECT_EQ(folder.List().model()->rowCount(), 0);
}

TEST_F(TrackViews, WorkingListShowsTheRecordsAndCounts)
{
    CListSelectedTracksListView list(doc, storage, Actions());
    EXPECT_EQ(status[1], "Tracks: 0");
    // Nothing stored yet: names and paths have room from the start.
    EXPECT_GT(list.columnWidth(0), list.fontMetrics().horizontalAdvance("01 - A Track Title.mp3"));
    EXPECT_GT(list.columnWidth(7), list.columnWidth(0));
    ASSERT_TRUE(Drop(list, *FolderDrag()));
    ASSERT_EQ(list.RowCount(), 3);
    QStringList first;
    for (int column = 0; column < list.model()->columnCount(); ++column)
        first.append(list.model()->index(0, column).data().toString());
    EXPECT_EQ(first, QStringList({"A.WAV", "no", "no", "", "", "", "9:59",
                                  QString::fromStdString(dir.File("A.WAV"))}));
    EXPECT_EQ(QStringList({status[1], status[2], status[3], status[4]}),
              QStringList({"Tracks: 3", "WAVs: 3", "MP3s: 0", "OGGs: 0"}));

    // A run's results show after the document's update.
    doc.GetTracks()[1]->checkStatus = kCheckCorrupt;
    doc.GetTracks()[1]->convertStatus = kConvertOggToWav;
    EXPECT_EQ(Column(list, 1)[1], "no") << "what a running worker writes is not read meanwhile";
    doc.FinishChange();
    EXPECT_EQ(Column(list, 1)[1], "Corrupt");
    EXPECT_EQ(Column(list, 2)[1], "OGG -> WAV");
}

TEST_F(FilledWorkingList, SortingReordersTheDocument)
{
    // Length: 1:01, 9:59, 10:05. The first click sorts descending.
    list.OnHeaderClick(CListSelectedTracksListView::kColLength, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(DocumentOrder(), (std::vector<std::string>{"c.wav", "A.WAV", "b.wav"}));
    EXPECT_EQ(Column(list, 6), QStringList({"10:05", "9:59", "1:01"}));
    list.OnHeaderClick(CListSelectedTracksListView::kColLength, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(DocumentOrder(), (std::vector<std::string>{"b.wav", "A.WAV", "c.wav"}));
    list.OnHeaderClick(CListSelectedTracksListView::kColFile, Qt::RightButton, Qt::NoModifier);
    EXPECT_EQ(DocumentOrder(), (std::vector<std::string>{"b.wav", "A.WAV", "c.wav"}));
}

TEST_F(FilledWorkingList, SelectionCommandsAndRefillsFollowTheSelection)
{
    bool enabled = true;
    for (int id :
         {kCmdEditTags, kCmdRemoveTracks, kCmdAnalyzeSelected, kCmdConvertSelectedToWav,
          kCmdConvertSelectedToMp3, kCmdConvertSelectedToOgg, kCmdPlayTrack, kCmdStopPlaying})
    {
        ASSERT_TRUE(list.QueryCommand(id, enabled));
        EXPECT_EQ(enabled, id == kCmdPlayTrack || id == kCmdStopPlaying) << id;
    }
    EXPECT_FALSE(list.QueryCommand(kCmdAnalyze, enabled));

    ReleaseKey(list, Qt::Key_A);
    ASSERT_TRUE(list.QueryCommand(kCmdEditTags, enabled));
    EXPECT_TRUE(enabled);
    list.RunCommand(kCmdEditTags);
    EXPECT_EQ(edited, (std::vector<std::size_t>{0, 1, 2}));

    // A refill selects only the first row that was selected before.
    list.clearSelection();
    Select(list, 1);
    Select(list, 2);
    doc.FinishChange();
    EXPECT_EQ(list.SelectedRows(), (std::vector<std::size_t>{1}));
    // Removing rows 1 and 2 leaves one: nothing to select again.
    Select(list, 2);
    ReleaseKey(list, Qt::Key_Delete);
    EXPECT_EQ(DocumentOrder(), (std::vector<std::string>{"A.WAV"}));
    EXPECT_TRUE(list.SelectedRows().empty());
}

// Files and the tracks of folders are added in the order dropped; web links
// are passed over.
TEST_F(TrackViews, DropsFromTheDesktopAddFilesAndFolders)
{
    CTempDir other;
    WriteSilentWave(other.File("z.wav"), 1000);
    CListSelectedTracksListView list(doc, storage, Actions());
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(other.File("z.wav"))),
                  QUrl::fromLocalFile(QString::fromStdString(dir.Path().string())),
                  QUrl(QStringLiteral("https://example.org/x.mp3"))});
    ASSERT_TRUE(Drop(list, data));
    EXPECT_EQ(DocumentOrder(), (std::vector<std::string>{"z.wav", "A.WAV", "b.wav", "c.wav"}));

    QMimeData text;
    text.setText(QStringLiteral("x"));
    EXPECT_FALSE(Drop(list, text));

    // A drag that may only move is refused: the source would delete the files.
    const auto folder = FolderDrag();
    doc.RemoveTracks({0, 1, 2, 3});
    EXPECT_FALSE(Drop(list, *folder, Qt::MoveAction));
    EXPECT_EQ(doc.GetTrackCount(), 0);
}

TEST_F(FilledWorkingList, PlayResumesTheSameTrackStartsAnotherAfreshAndLetsGoOfIt)
{
    list.RunCommand(kCmdPlayTrack);
    EXPECT_EQ(list.Player(), nullptr) << "nothing selected, nothing played";

    Select(list, 1);
    list.RunCommand(kCmdPlayTrack);
    ASSERT_NE(list.Player(), nullptr);
    ASSERT_EQ(devices.size(), 1u);
    EXPECT_TRUE(list.Player()->IsPlaying());
    devices[0]->Complete(3);
    const std::int32_t position = list.Player()->GetPosition();
    EXPECT_GT(position, 0);

    list.RunCommand(kCmdStopPlaying);
    EXPECT_FALSE(list.Player()->IsPlaying());
    list.RunCommand(kCmdPlayTrack);
    EXPECT_TRUE(list.Player()->IsPlaying());
    EXPECT_EQ(devices.size(), 1u) << "the same track resumes on its player";
    EXPECT_EQ(list.Player()->GetPosition(), position);

    // Removing the playing track leaves it playing; another track starts anew.
    ReleaseKey(list, Qt::Key_Delete);
    ASSERT_NE(list.Player(), nullptr);
    EXPECT_TRUE(list.Player()->IsPlaying());
    Select(list, 0);
    list.RunCommand(kCmdPlayTrack);
    ASSERT_EQ(devices.size(), 2u);
    EXPECT_EQ(list.PlayingTrack()->GetPathText(), dir.File("A.WAV"));
    EXPECT_EQ(list.Player()->GetPosition(), 0);

    // A lost output opens another; runs and additions release playback.
    devices[1]->Close();
    list.RunCommand(kCmdPlayTrack);
    ASSERT_EQ(devices.size(), 3u);
    EXPECT_TRUE(list.Player()->IsPlaying());

    list.RunCommand(kCmdEditTags);
    EXPECT_EQ(list.Player(), nullptr);
    EXPECT_EQ(list.PlayingTrack(), nullptr);
    list.RunCommand(kCmdPlayTrack);
    ASSERT_NE(list.Player(), nullptr);
    doc.StopPlayback();
    EXPECT_EQ(list.Player(), nullptr);
}

TEST(DragData, FolderAndTrackDragsGiveTheirTrackFiles)
{
    CTempDir dir;
    for (const char* file : {"b.mp3", "a.ogg", "c.txt"})
        WriteFileBytes(dir.File(file), {1});
    const auto data = MakeFolderDrag(QString::fromStdString(dir.Path().string()));
    ASSERT_TRUE(IsTrackDrop(*data));
    EXPECT_EQ(PathsFromDrop(*data),
              (std::vector<std::string>{dir.File("a.ogg"), dir.File("b.mp3")}));

    // A drag of tracks gives their paths in order.
    const auto tracks = MakeTracksDrag({QStringLiteral("/m/z.mp3"), QString::fromUtf8("/m/é.wav")});
    EXPECT_EQ(PathsFromDrop(*tracks), (std::vector<std::string>{"/m/z.mp3", "/m/é.wav"}));

    // Text and web links are no track drop.
    QMimeData text;
    text.setText(QStringLiteral("/m/a.mp3"));
    EXPECT_FALSE(IsTrackDrop(text));
    text.setUrls({QUrl(QStringLiteral("https://example.org/a.mp3"))});
    EXPECT_FALSE(IsTrackDrop(text));
}

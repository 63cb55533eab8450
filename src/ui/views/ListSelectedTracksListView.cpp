#include "ui/views/ListSelectedTracksListView.h"

#include "audio/play/WavePlayer.h"
#include "tracks/AudioTrack.h"
#include "tracks/Strings.h"
#include "ui/common/ContextMenu.h"
#include "ui/common/DragData.h"
#include "ui/common/FreedMemory.h"
#include "ui/common/UiText.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QScrollBar>

namespace
{
// What a typical row holds, for columns that fit their contents; never shown.
const char* const kTypicalTexts[] = {
    "01 - An Ordinary Track Title.mp3",
    "Corrupt",
    "MP3 -> WAV",
    "An Ordinary Track Title",
    "Artist Name",
    "Album Title",
    "10:00",
    "/home/someone/Music/Artist Name/Album Title/01 - An Ordinary Track Title.mp3",
};

ConversionTarget TargetOf(int id)
{
    switch (id)
    {
    case kCmdConvertSelectedToWav:
        return ConversionTarget::Wav;
    case kCmdConvertSelectedToMp3:
        return ConversionTarget::Mp3;
    default:
        return ConversionTarget::Ogg;
    }
}
} // namespace

CListSelectedTracksListView::CListSelectedTracksListView(CTunewright20Doc& doc,
                                                         ISettingsStorage& storage,
                                                         WorkingListActions actions,
                                                         QWidget* parent)
    : CMultiColumnSortListView(storage, parent), m_doc(doc), m_actions(std::move(actions)),
      m_model(new CTrackListModel(this))
{
    SetName(QStringLiteral("LISTSELECTEDTRACK"));
    SetSortModel(m_model);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    InsertColumns();
    connect(this, &QAbstractItemView::doubleClicked, this, [this] { EditSelectedTags(); });
    m_doc.AddObserver(this);
    m_doc.SetStopPlayback([this] { ReleasePlayback(); });
    Refill();
}

CListSelectedTracksListView::~CListSelectedTracksListView()
{
    m_doc.SetStopPlayback({});
    m_doc.RemoveObserver(this);
    ReleasePlayback();
}

void CListSelectedTracksListView::InsertColumns()
{
    QStringList typical;
    for (const char* text : kTypicalTexts)
        typical.append(QString::fromUtf8(text));
    SetTypicalTexts(typical);
    AddNumericColumn(kColLength);
    LoadColumnWidths();
}

void CListSelectedTracksListView::Refill()
{
    const std::vector<std::size_t> selected = SelectedRows();
    const int scrolled = verticalScrollBar()->value();
    m_model->Refresh(m_doc.GetTracks());
    if (!selected.empty())
        SelectRow(static_cast<int>(selected.front()));
    verticalScrollBar()->setValue(scrolled);
    FitColumnsIfUnset();
    WriteCounts();
}

void CListSelectedTracksListView::WriteCounts()
{
    if (!m_actions.setStatusText)
        return;
    m_actions.setStatusText(1, Tr("Tracks: %1").arg(m_doc.GetTrackCount()));
    m_actions.setStatusText(2, Tr("WAVs: %1").arg(m_doc.GetWavCount()));
    m_actions.setStatusText(3, Tr("MP3s: %1").arg(m_doc.GetMp3Count()));
    m_actions.setStatusText(4, Tr("OGGs: %1").arg(m_doc.GetOggCount()));
}

void CListSelectedTracksListView::AddPaths(const std::vector<std::string>& paths)
{
    if (!paths.empty() && m_actions.addTracks)
        m_actions.addTracks(paths);
}

void CListSelectedTracksListView::ReleasePlayback()
{
    if (m_player)
    {
        m_player->Pause();
        m_player->Stop();
        m_player.reset();
    }
    m_playingTrack.reset();
}

void CListSelectedTracksListView::Play()
{
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty())
        return;
    const TrackRefs tracks = m_doc.GetTracksAt({rows.front()});
    if (tracks.empty())
        return;
    const std::string& path = tracks.front()->path;
    if (m_player && m_player->HasDevice() && m_playingTrack &&
        m_playingTrack->GetPathText() == path)
    {
        m_player->Start();
        return;
    }
    ReleasePlayback();
    auto track = std::make_unique<CAudioTrack>(path);
    if (!track->GetAudioFile() || !m_actions.createDevice)
        return;
    auto player = std::make_unique<CWavePlayer>(m_actions.createDevice());
    if (!player->Open(*track->GetAudioFile(), *this))
        return;
    m_playingTrack = std::move(track);
    m_player = std::move(player);
    m_player->Start();
}

void CListSelectedTracksListView::StopPlaying()
{
    if (m_player)
        m_player->Pause();
}

void CListSelectedTracksListView::OnWaveOutBlockDone()
{
    if (m_player)
        DeliverBlockDone(*m_player);
}

void CListSelectedTracksListView::OnDocumentChanged(ViewScope scope)
{
    if (scope == ViewScope::AllButFolderList)
        Refill();
}

bool CListSelectedTracksListView::QueryCommand(int id, bool& enabled) const
{
    switch (id)
    {
    case kCmdEditTags:
    case kCmdRemoveTracks:
    case kCmdAnalyzeSelected:
    case kCmdRepairSelected:
    case kCmdConvertSelectedToWav:
    case kCmdConvertSelectedToMp3:
    case kCmdConvertSelectedToOgg:
        enabled = selectionModel()->hasSelection();
        return true;
    case kCmdPlayTrack:
    case kCmdStopPlaying:
        enabled = true;
        return true;
    default:
        return false;
    }
}

void CListSelectedTracksListView::RunCommand(int id)
{
    switch (id)
    {
    case kCmdEditTags:
        EditSelectedTags();
        break;
    case kCmdRemoveTracks:
        RemoveSelected();
        break;
    case kCmdPlayTrack:
        Play();
        break;
    case kCmdStopPlaying:
        StopPlaying();
        break;
    case kCmdAnalyzeSelected:
    case kCmdRepairSelected:
    case kCmdConvertSelectedToWav:
    case kCmdConvertSelectedToMp3:
    case kCmdConvertSelectedToOgg:
        RunOnSelection(id);
        break;
    default:
        break;
    }
}

void CListSelectedTracksListView::RemoveSelected()
{
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty())
        return;
    m_doc.RemoveTracks(rows);
    ReturnFreedMemory();
}

void CListSelectedTracksListView::EditSelectedTags()
{
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty())
        return;
    ReleasePlayback();
    if (m_actions.editTags)
        m_actions.editTags(rows);
}

void CListSelectedTracksListView::RunOnSelection(int id)
{
    const std::vector<std::size_t> rows = SelectedRows();
    if (rows.empty())
        return;
    ReleasePlayback();
    const TrackRefs tracks = m_doc.GetTracksAt(rows);
    if (id == kCmdAnalyzeSelected)
    {
        if (m_actions.analyze)
            m_actions.analyze(tracks);
    }
    else if (id == kCmdRepairSelected)
    {
        if (m_actions.repair)
            m_actions.repair(tracks);
    }
    else if (m_actions.convert)
        m_actions.convert(TargetOf(id), tracks);
}

void CListSelectedTracksListView::OnSorted()
{
    m_doc.ReorderTracks(m_model->Tracks());
}

void CListSelectedTracksListView::keyReleaseEvent(QKeyEvent* event)
{
    if (event->modifiers() == Qt::NoModifier)
    {
        if (event->key() == Qt::Key_A)
            selectAll();
        else if (event->key() == Qt::Key_Delete)
            RemoveSelected();
    }
    CMultiColumnSortListView::keyReleaseEvent(event);
}

void CListSelectedTracksListView::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_contextMenu)
        return;
    PopupContextMenu(*m_contextMenu, *this, *event);
}

void CListSelectedTracksListView::dragEnterEvent(QDragEnterEvent* event)
{
    AcceptAsCopy(*event);
}

void CListSelectedTracksListView::dragMoveEvent(QDragMoveEvent* event)
{
    AcceptAsCopy(*event);
}

void CListSelectedTracksListView::dropEvent(QDropEvent* event)
{
    if (!AcceptAsCopy(*event))
        return;
    // Reading the files takes a while: the drag's source must not wait for it.
    QMetaObject::invokeMethod(
        this, [this, paths = PathsFromDrop(*event->mimeData())] { AddPaths(paths); },
        Qt::QueuedConnection);
}

bool CListSelectedTracksListView::AcceptAsCopy(QDropEvent& event)
{
    // A copy, never a move: a file manager would delete what it moved.
    if (!event.mimeData() || !IsTrackDrop(*event.mimeData()) ||
        !event.possibleActions().testFlag(Qt::CopyAction))
    {
        event.ignore();
        return false;
    }
    event.setDropAction(Qt::CopyAction);
    event.accept();
    return true;
}

#include "ui/views/ListSelectedTracksListView.h"

#include "audio/play/WavePlayer.h"
#include "tracks/AudioTrack.h"
#include "tracks/Strings.h"
#include "ui/common/ContextMenu.h"
#include "ui/common/DragData.h"
#include "ui/common/UiText.h"

#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace
{
struct ColumnLayout
{
    int width;
    Qt::Alignment alignment;
};

// The widths the columns are inserted with; the stored widths replace them.
constexpr ColumnLayout kColumns[] = {
    {176, Qt::AlignLeft}, {59, Qt::AlignLeft}, {70, Qt::AlignLeft},    {99, Qt::AlignLeft},
    {76, Qt::AlignLeft},  {70, Qt::AlignLeft}, {51, Qt::AlignHCenter}, {149, Qt::AlignLeft},
};

QStringList RowTexts(const TrackInfo& track)
{
    return {QFileInfo(ToQString(track.path)).fileName(),
            Tr(strings::CheckStatusText(track.checkStatus)),
            Tr(strings::ConvertStatusText(track.convertStatus)),
            ToQString(track.title),
            ToQString(track.artist),
            ToQString(track.album),
            ToQString(track.lengthText),
            ToQString(track.path)};
}

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
    : CMultiColumnSortListView(storage, parent), m_doc(doc), m_actions(std::move(actions))
{
    SetName(QStringLiteral("LISTSELECTEDTRACK"));
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setDropIndicatorShown(false);
    InsertColumns();
    connect(this, &QTreeWidget::itemDoubleClicked, this, [this] { EditSelectedTags(); });
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
    QStringList titles;
    for (const std::string& name : strings::ColumnNames())
        titles.append(Tr(name.c_str()));
    setColumnCount(kColumnCount);
    setHeaderLabels(titles.mid(0, kColumnCount));
    for (int column = 0; column < kColumnCount; ++column)
    {
        header()->resizeSection(column, kColumns[column].width);
        headerItem()->setTextAlignment(column, kColumns[column].alignment | Qt::AlignVCenter);
    }
    AddNumericColumn(kColLength);
    LoadColumnWidths();
}

void CListSelectedTracksListView::Refill()
{
    const std::vector<std::size_t> selected = SelectedRows();
    setUpdatesEnabled(false);
    clear();
    QList<QTreeWidgetItem*> items;
    for (const TrackInfo* track : m_doc.GetTracks())
    {
        auto* item = new QTreeWidgetItem(RowTexts(*track));
        item->setIcon(kColFile, m_icons.ForFile(ToQString(track->path)));
        item->setTextAlignment(kColLength, Qt::AlignHCenter | Qt::AlignVCenter);
        items.append(item);
    }
    addTopLevelItems(items);
    if (!selected.empty() && selected.front() < static_cast<std::size_t>(items.size()))
    {
        QTreeWidgetItem* item = items[static_cast<qsizetype>(selected.front())];
        setCurrentItem(item);
        item->setSelected(true);
    }
    setUpdatesEnabled(true);
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

std::vector<std::size_t> CListSelectedTracksListView::SelectedRows() const
{
    std::vector<std::size_t> rows;
    for (int row = 0; row < topLevelItemCount(); ++row)
    {
        if (topLevelItem(row)->isSelected())
            rows.push_back(static_cast<std::size_t>(row));
    }
    return rows;
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
    if (!rows.empty())
        m_doc.RemoveTracks(rows);
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
    else if (m_actions.convert)
        m_actions.convert(TargetOf(id), tracks);
}

void CListSelectedTracksListView::OnSorted()
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(topLevelItemCount()));
    for (int row = 0; row < topLevelItemCount(); ++row)
        paths.push_back(ToUtf8(topLevelItem(row)->text(kColPath)));
    m_doc.ReorderTracks(paths);
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

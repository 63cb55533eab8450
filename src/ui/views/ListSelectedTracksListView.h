#pragma once

#include "audio/play/WaveOutDevice.h"
#include "conversion/ConversionRun.h"
#include "tracks/Document.h"
#include "ui/common/Commands.h"
#include "ui/sortlist/MultiColumnSortListView.h"
#include "ui/views/TrackListModel.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CAudioTrack;
class CWavePlayer;
class QMenu;
class QMimeData;

// What the working list hands on: additions, the runs and the tag sheet
// for its selection, and its counts for the status bar.
struct WorkingListActions
{
    std::function<void(const std::vector<std::string>&)> addTracks;
    std::function<void(const TrackRefs&)> analyze;
    std::function<void(const TrackRefs&)> repair;
    std::function<void(ConversionTarget, const TrackRefs&)> convert;
    std::function<void(const std::vector<std::size_t>&)> editTags;
    // Pane 1 tracks, 2 WAVs, 3 MP3s, 4 OGGs.
    std::function<void(int pane, const QString& text)> setStatusText;
    // The output a new player plays through.
    std::function<std::unique_ptr<IWaveOutDevice>()> createDevice;
};

// The right pane: the document's working list with the checks' and
// conversions' results and the tags, sortable by its columns. The commands
// on single tracks act on its selection.
class CListSelectedTracksListView : public CMultiColumnSortListView,
                                    public IDocumentObserver,
                                    public ICommandTarget,
                                    public IWaveOutListener
{
    Q_OBJECT

public:
    using Column = CTrackListModel::Column;
    static constexpr int kColFile = CTrackListModel::kColFile;
    static constexpr int kColLength = CTrackListModel::kColLength;
    static constexpr int kColPath = CTrackListModel::kColPath;

    CListSelectedTracksListView(CTunewright20Doc& doc, ISettingsStorage& storage,
                                WorkingListActions actions, QWidget* parent = nullptr);
    ~CListSelectedTracksListView() override;

    void SetContextMenu(QMenu* menu) { m_contextMenu = menu; }
    // Shows the document's list anew, in one reset of the rows.
    void Refill();
    const CTrackListModel& Model() const { return *m_model; }
    // Playback must end before anything works on the tracks' files.
    void ReleasePlayback();
    // Plays the first selected track, resuming it when it is the one held.
    void Play();
    // Holds the player; Play on the same track resumes.
    void StopPlaying();
    const CWavePlayer* Player() const { return m_player.get(); }
    const CAudioTrack* PlayingTrack() const { return m_playingTrack.get(); }

    void OnWaveOutBlockDone() override;

    void OnDocumentChanged(ViewScope scope) override;
    bool QueryCommand(int id, bool& enabled) const override;
    void RunCommand(int id) override;

protected:
    void OnSorted() override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool AcceptAsCopy(QDropEvent& event);
    void AddPaths(const std::vector<std::string>& paths);
    void InsertColumns();
    void WriteCounts();
    void RemoveSelected();
    void EditSelectedTags();
    void RunOnSelection(int id);

    CTunewright20Doc& m_doc;
    WorkingListActions m_actions;
    CTrackListModel* m_model; // a child, so that it outlives the base's last look at it
    QMenu* m_contextMenu = nullptr;
    // The player decodes the track's file: it goes first.
    std::unique_ptr<CAudioTrack> m_playingTrack;
    std::unique_ptr<CWavePlayer> m_player;
};

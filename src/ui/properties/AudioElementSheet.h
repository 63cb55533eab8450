#pragma once

#include "audio/play/WaveOutDevice.h"
#include "tracks/Document.h"
#include "ui/common/HelpContext.h"
#include "ui/runs/MessagePresenter.h"

#include <QDialog>
#include <cstddef>
#include <functional>
#include <memory>

class CAudioElementPage1;
class CAudioElementPage2;
class CAudioTrack;
class CWavePlayer;
class CStateDatabase;
class CTagHistory;
class QAbstractButton;
class QDialogButtonBox;
class QPushButton;
class QTabWidget;

// What the sheet takes from its surroundings; tests put in their own.
struct AudioElementSheetServices
{
    // The output each new player plays through; the machine's when empty.
    std::function<std::unique_ptr<IWaveOutDevice>()> createDevice;
    // Reports a write that failed; message boxes when `show` is empty.
    CMessagePresenter presenter;
};

// The track properties: the tags of one track, or of several tracks one
// after the other, with the file's length, rate and format and a player.
// The caller runs it with exec(); while it exists the help context is the
// tag editing topic.
//
// OK and Apply save the shown track's tags once for every page that has
// been shown; "Change && next" and "Change && previous" save it and move
// on. A save writes into the file, then into the document's record; a
// read-only file is left alone, and a write that fails is reported and
// leaves the record as it was (the sheet then stays on that track). Every
// write is recorded in the history of tag edits, and "Undo Last Change"
// puts back the shown track's last edit from there. The player is released
// before every write and before the file it plays.
class CAudioElementSheet final : public QDialog, public IWaveOutListener
{
    Q_OBJECT

public:
    // `tracks` are the document's records, in working-list order, not owned;
    // with more than one the sheet walks through them. Must not be empty.
    CAudioElementSheet(TrackRefs tracks, CHelpContext& help,
                       AudioElementSheetServices services = {}, QWidget* parent = nullptr);
    ~CAudioElementSheet() override;

    // Whether any save wrote tags (and so changed a record).
    bool SavedAny() const { return m_bSavedAny; }
    bool IsSeveral() const { return m_tracks.size() > 1; }
    std::size_t CurrentIndex() const { return m_index; }

    void done(int result) override;
    void OnWaveOutBlockDone() override;

private:
    void SelectTrack(std::size_t index);
    void LoadTrack();
    void OpenPlayer();
    void ReleasePlayer();
    bool SaveTags();
    bool SaveShownPages();
    void ReportFailure(const QString& reason);
    void OnButton(QAbstractButton* button);
    void ChangeAndMove(int step);
    void Play();
    void Stop();
    void SetModified(bool modified);
    void UndoLastChange();
    // The history of tag edits, opened on first use; null when it cannot be.
    CTagHistory* History();

    // First, so that the topic is set before anything else and put back last.
    CHelpContextScope m_helpScope;
    TrackRefs m_tracks;
    std::size_t m_index = 0;
    AudioElementSheetServices m_services;
    // The track before its player: the player reads the track's file.
    std::unique_ptr<CAudioTrack> m_audioTrack;
    std::unique_ptr<CWavePlayer> m_player;
    bool m_bSavedAny = false;
    std::unique_ptr<CStateDatabase> m_database;
    std::unique_ptr<CTagHistory> m_history;
    QTabWidget* m_tabs;
    CAudioElementPage1* m_page1;
    CAudioElementPage2* m_page2;
    QDialogButtonBox* m_buttons;
    QPushButton* m_undo;
};

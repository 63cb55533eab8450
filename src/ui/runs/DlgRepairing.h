#pragma once

#include "repair/MP3Repair.h"
#include "tracks/Document.h"
#include "ui/runs/ProgressDlg.h"

class QPushButton;

// "Repair Corrupt Files": repairs the tracks of `tracks` whose check status
// is Corrupt, starting as soon as it is shown. Unlike the analysis, it stays
// open when done so that its lines, one pair per file saying what changed,
// can be read; Cancel becomes Close. Cancel, Esc and the close box stop the
// run before the next file.
class CDlgRepairing final : public CProgressDlg
{
    Q_OBJECT

public:
    CDlgRepairing(TrackRefs tracks, RepairOptions options, QWidget* parent = nullptr);

private:
    void WorkEnded() override;

    QPushButton* m_cancel = nullptr;
};

#pragma once

#include "tracks/Document.h"

#include <atomic>

class CSettingsStore;
#include "ui/common/HelpContext.h"
#include "ui/runs/ProgressDlg.h"

// "Analyze MP3 Files": checks the MP3 tracks of the list that have no
// verdict yet, starting as soon as it is shown and closing by itself when
// done. Cancel and Esc stop the run before the next file; so does the close
// box. Sets the help topic for analysing while it exists. Its check box
// "decode every frame" (the deep check) takes effect from the next file and
// is kept in `settings` when given.
class CDlgMP3Analyzing final : public CProgressDlg
{
    Q_OBJECT

public:
    CDlgMP3Analyzing(TrackRefs tracks, CHelpContext& help, QWidget* parent = nullptr,
                     CSettingsStore* settings = nullptr);

private:
    CHelpContextScope m_helpScope;
    std::atomic<bool> m_decode{false}; // written on the UI thread, read by the run
};

#include "ui/runs/DlgMP3Analyzing.h"

#include "tracks/AnalysisRun.h"
#include "tracks/Strings.h"
#include "ui/common/UiText.h"
#include "ui/runs/RunLayout.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int kWidth = 560;
} // namespace

CDlgMP3Analyzing::CDlgMP3Analyzing(TrackRefs tracks, CHelpContext& help, QWidget* parent)
    : CProgressDlg(CMessagePresenter::MessageBoxes(), parent),
      m_helpScope(help, CHelpContext::kAnalyzing)
{
    setWindowTitle(Tr(strings::kAnalyzeTitle));
    auto* layout = new QVBoxLayout(this);
    Controls controls;
    controls.results = AddResultsList(*layout, *this);
    controls.currentFile = AddCurrentFile(*layout, *this);
    controls.caption = AddCaptionedProgress(*layout, *this, controls.progress);
    connect(AddCancelButton(*layout, *this), &QPushButton::clicked, this, [this] { OnCancel(); });
    SetControls(controls);
    setMinimumWidth(kWidth);

    StartWhenShown([run = CAnalysisRun(std::move(tracks))](IRunHost& host) mutable
                   { run.Run(host); });
}

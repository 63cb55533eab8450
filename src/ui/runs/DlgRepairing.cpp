#include "ui/runs/DlgRepairing.h"

#include "tracks/RepairRun.h"
#include "tracks/Strings.h"
#include "ui/common/UiText.h"
#include "ui/runs/RunLayout.h"

#include <QPushButton>
#include <QVBoxLayout>

namespace
{
constexpr int kWidth = 640;
} // namespace

CDlgRepairing::CDlgRepairing(TrackRefs tracks, RepairOptions options, QWidget* parent)
    : CProgressDlg(CMessagePresenter::MessageBoxes(), parent)
{
    setWindowTitle(Tr(strings::kRepairTitle));
    auto* layout = new QVBoxLayout(this);
    Controls controls;
    controls.results = AddResultsList(*layout, *this);
    controls.currentFile = AddCurrentFile(*layout, *this);
    controls.caption = AddCaptionedProgress(*layout, *this, controls.progress);
    m_cancel = AddCancelButton(*layout, *this);
    connect(m_cancel, &QPushButton::clicked, this, [this] { OnCancel(); });
    SetControls(controls);
    setMinimumWidth(kWidth);

    StartWhenShown([run = CRepairRun(std::move(tracks), std::move(options))](IRunHost& host) mutable
                   { run.Run(host); });
}

void CDlgRepairing::WorkEnded()
{
    m_cancel->setText(Tr("Close"));
}

#include "ui/runs/DlgAddTracks.h"

#include "tracks/Document.h"
#include "tracks/Strings.h"
#include "ui/common/UiText.h"
#include "ui/runs/RunLayout.h"

#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace
{
// The pause between the end of the work and the dialog's closing.
constexpr int kCloseDelayMs = 100;
constexpr int kWidth = 420;
} // namespace

CDlgAddTracks::CDlgAddTracks(CTunewright20Doc& doc, std::vector<std::string> paths, QWidget* parent,
                             CMessagePresenter presenter, unsigned jobs)
    : CProgressDlg(std::move(presenter), parent)
{
    setWindowTitle(Tr(strings::kReadFilesInformation));
    auto* layout = new QVBoxLayout(this);
    Controls controls;
    controls.currentFile = AddCurrentFile(*layout, *this);
    controls.progress = AddProgressBar(*layout, *this);
    connect(AddCancelButton(*layout, *this), &QPushButton::clicked, this,
            [this] { RequestCancel(); });
    SetControls(controls);
    setMinimumWidth(kWidth);

    StartWhenShown([&doc, paths = std::move(paths), jobs](IRunHost& host)
                   { doc.AddTracksWork(paths, host, jobs); });
}

void CDlgAddTracks::WorkEnded()
{
    QTimer::singleShot(kCloseDelayMs, this, [this] { EndDialog(); });
}

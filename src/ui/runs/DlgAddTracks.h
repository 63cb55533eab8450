#pragma once

#include "tracks/OrderedWork.h"
#include "ui/runs/ProgressDlg.h"

#include <string>
#include <vector>

class CTunewright20Doc;

// "Read Files Information": reads the files at the given paths into the
// document's working list on worker threads, `jobs` files at a time (one
// per core by default), starting as soon as it is shown. Cancel, Esc and the close box only ask the
// work to stop; the dialog closes by itself shortly after the work has ended. The caller recounts
// and updates the views afterwards (FinishChange); tracks added before a cancel stay.
class CDlgAddTracks final : public CProgressDlg
{
    Q_OBJECT

public:
    CDlgAddTracks(CTunewright20Doc& doc, std::vector<std::string> paths, QWidget* parent = nullptr,
                  CMessagePresenter presenter = CMessagePresenter::MessageBoxes(),
                  unsigned jobs = CoreCount());

    void reject() override { RequestCancel(); }

protected:
    void OnCloseBox() override { RequestCancel(); }
    void WorkEnded() override;
};

#pragma once

#include "tracks/IRunHost.h"
#include "ui/runs/MessagePresenter.h"
#include "ui/runs/RunHostChannel.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CColorListBox;
class CPathLabel;
class CRunThread;
class QGroupBox;
class QProgressBar;

// The base of the run dialogs: one worker thread per run, whose reports
// reach the dialog's controls on the user-interface thread, gathered (see
// CRunHostChannel). The dialog ends only
// after the worker's last call to it, and while the worker runs the Cancel
// button, Esc and the close box only ask it to stop. The work gets a
// channel it shares with the dialog as its host (see CRunHostChannel), so
// that nothing the worker calls can go away under it.
class CProgressDlg : public QDialog, public IRunHost, private IProgressView
{
    Q_OBJECT

public:
    ~CProgressDlg() override;

    // The run's host, callable from any thread.
    bool IsCancelled() const override;
    void SetProgress(int percent) override;
    void SetCurrentFile(const std::string& path) override;
    void SetCaption(const std::string& text) override;
    void AddResultLine(const std::string& text, std::uint32_t colour) override;
    HostAnswer Ask(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void ReportFailure(const std::string& path, const std::string& reason) override;

    bool IsRunning() const { return m_bRunning; }
    // Esc.
    void reject() override { OnCancel(); }

protected:
    CProgressDlg(CMessagePresenter presenter, QWidget* parent);

    // The controls the worker's calls go to; any may be left out.
    struct Controls
    {
        CPathLabel* currentFile = nullptr;
        QProgressBar* progress = nullptr;
        CColorListBox* results = nullptr;
        QGroupBox* caption = nullptr;
    };
    void SetControls(const Controls& controls) { m_controls = controls; }

    // Runs `work` on a new worker thread. `work` must own whatever it needs
    // but the host and what outlives the dialog (the document, its tracks).
    void StartWork(std::function<void(IRunHost&)> work);
    // The same, as soon as the dialog is first shown.
    void StartWhenShown(std::function<void(IRunHost&)> work);
    // The Cancel button, Esc and the worker's end: while the worker runs,
    // only asks it to stop; otherwise ends the dialog.
    void OnCancel();
    // Ends the dialog once the worker has let go of it (at most 5 s).
    void EndDialog();
    void RequestCancel();
    // Called once the worker has made its last call; closes the dialog.
    virtual void WorkEnded() { OnCancel(); }
    // The close box: while the worker runs, only asks it to stop.
    virtual void OnCloseBox();

    // Tells the files of the last run that failed, in one message, once its
    // result lines are about to go with the dialog; then forgets them.
    void ShowFailures(const QString& heading);

    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void ShowUpdates(const RunUpdates& updates) override;
    HostAnswer AskUser(const std::string& question) override;
    void ShowUserMessage(const std::string& text, MessageIcon icon) override;
    void OnWorkEnded() override;

    CMessagePresenter m_presenter;
    Controls m_controls;
    std::shared_ptr<CRunHostChannel> m_channel;
    std::unique_ptr<CRunThread> m_pThread;
    std::function<void(IRunHost&)> m_workOnShow;
    std::vector<std::pair<std::string, std::string>> m_failures;
    bool m_bRunning = false;
    bool m_bEnding = false;
};

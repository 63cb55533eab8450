#include "ui/runs/ProgressDlg.h"

#include "tracks/RunThread.h"
#include "ui/common/UiText.h"
#include "ui/runs/ColorListBox.h"
#include "ui/runs/PathLabel.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QProgressBar>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

namespace
{
// How long a closing dialog waits for its worker to let go.
constexpr std::chrono::milliseconds kEndWait{5000};
} // namespace

CProgressDlg::CProgressDlg(CMessagePresenter presenter, QWidget* parent)
    : QDialog(parent), m_presenter(std::move(presenter)),
      m_channel(std::make_shared<CRunHostChannel>(*this, static_cast<IProgressView&>(*this)))
{
    setModal(true);
}

CProgressDlg::~CProgressDlg()
{
    // The worker's calls are dropped from here on and a question it waits
    // on is answered Cancel; then the worker is waited for, since it writes
    // into tracks that belong to the document.
    m_channel->RequestCancel();
    m_channel->Detach();
    m_pThread.reset();
}

bool CProgressDlg::IsCancelled() const
{
    return m_channel->IsCancelled();
}

void CProgressDlg::SetProgress(int percent)
{
    m_channel->SetProgress(percent);
}

void CProgressDlg::SetCurrentFile(const std::string& path)
{
    m_channel->SetCurrentFile(path);
}

void CProgressDlg::SetCaption(const std::string& text)
{
    m_channel->SetCaption(text);
}

void CProgressDlg::AddResultLine(const std::string& text, std::uint32_t colour)
{
    m_channel->AddResultLine(text, colour);
}

HostAnswer CProgressDlg::Ask(const std::string& question)
{
    return m_channel->Ask(question);
}

void CProgressDlg::ShowMessage(const std::string& text, MessageIcon icon)
{
    m_channel->ShowMessage(text, icon);
}

void CProgressDlg::ReportFailure(const std::string& path, const std::string& reason)
{
    m_channel->ReportFailure(path, reason);
}

void CProgressDlg::StartWork(std::function<void(IRunHost&)> work)
{
    m_pThread.reset();
    m_channel->ClearCancel();
    m_bRunning = true;
    m_pThread = std::make_unique<CRunThread>([channel = m_channel, work = std::move(work)]
                                             { work(*channel); },
                                             [channel = m_channel] { channel->ReportEnd(); });
}

void CProgressDlg::StartWhenShown(std::function<void(IRunHost&)> work)
{
    m_workOnShow = std::move(work);
}

void CProgressDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (m_workOnShow)
        StartWork(std::exchange(m_workOnShow, nullptr));
}

void CProgressDlg::OnCancel()
{
    if (m_bRunning)
    {
        RequestCancel();
        return;
    }
    EndDialog();
}

void CProgressDlg::EndDialog()
{
    if (m_pThread)
        m_pThread->WaitFor(kEndWait);
    m_bEnding = true;
    QDialog::done(QDialog::Rejected);
}

void CProgressDlg::RequestCancel()
{
    m_channel->RequestCancel();
}

void CProgressDlg::closeEvent(QCloseEvent* event)
{
    if (!m_bEnding)
        OnCloseBox();
    // Accepted only when the dialog has ended; a running dialog stays.
    event->setAccepted(m_bEnding || !isVisible());
}

void CProgressDlg::OnCloseBox()
{
    if (m_bRunning)
        RequestCancel();
    else
        OnCancel();
}

void CProgressDlg::ShowUpdates(const RunUpdates& updates)
{
    if (updates.currentFile && m_controls.currentFile)
        m_controls.currentFile->SetPath(ToQString(*updates.currentFile));
    if (updates.caption && m_controls.caption)
        m_controls.caption->setTitle(CoreText(*updates.caption));
    if (!updates.lines.empty() && m_controls.results)
    {
        std::vector<CColorListBox::Line> lines;
        lines.reserve(updates.lines.size());
        for (const RunUpdates::Line& line : updates.lines)
            lines.push_back({CoreText(line.text), line.colour});
        m_controls.results->AddLines(std::move(lines));
    }
    if (updates.progress && m_controls.progress)
        m_controls.progress->setValue(*updates.progress);
    m_failures.insert(m_failures.end(), updates.failures.begin(), updates.failures.end());
}

HostAnswer CProgressDlg::AskUser(const std::string& question)
{
    return m_presenter.AskCore(this, question);
}

void CProgressDlg::ShowUserMessage(const std::string& text, MessageIcon icon)
{
    m_presenter.ShowCore(this, text, icon);
}

void CProgressDlg::ShowFailures(const QString& heading)
{
    if (m_failures.empty() || !m_presenter.show)
        return;
    constexpr std::size_t kListed = 15;
    QString text = heading.arg(m_failures.size());
    for (std::size_t i = 0; i < m_failures.size() && i < kListed; ++i)
        text += QStringLiteral("\n%1: %2")
                    .arg(ToQString(m_failures[i].first), CoreText(m_failures[i].second));
    if (m_failures.size() > kListed)
        text += QStringLiteral("\n") + Tr("and %1 more").arg(m_failures.size() - kListed);
    m_failures.clear();
    m_presenter.show(this, text, MessageIcon::Information);
}

void CProgressDlg::OnWorkEnded()
{
    m_bRunning = false;
    WorkEnded();
}

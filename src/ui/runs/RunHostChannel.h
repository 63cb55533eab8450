#pragma once

#include "tracks/IRunHost.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QObject;

// What shows a run: the progress dialog. Called on its own thread only.
class IProgressView
{
public:
    virtual ~IProgressView() = default;

    virtual void ShowCurrentFile(const std::string& path) = 0;
    virtual void ShowCaption(const std::string& text) = 0;
    virtual void ShowResultLine(const std::string& text, std::uint32_t colour) = 0;
    virtual void ShowProgress(int percent) = 0;
    virtual HostAnswer AskUser(const std::string& question) = 0;
    virtual void ShowUserMessage(const std::string& text, MessageIcon icon) = 0;
    virtual void NoteFailure(const std::string& path, const std::string& reason) = 0;
    // The work has made its last call.
    virtual void OnWorkEnded() = 0;
};

// The host a run's worker talks to. Each call is queued to the view's
// thread and reaches the view in the order made; questions and messages
// block the worker until answered. The worker shares the channel, so that
// it may outlive the view: once the view is detached, calls are dropped and
// questions answered Cancel at once, which also frees a worker that is
// waiting for an answer while the view closes. Create with make_shared.
class CRunHostChannel final : public IRunHost, public std::enable_shared_from_this<CRunHostChannel>
{
public:
    // `receiver` lives on the view's thread and carries the queued calls.
    CRunHostChannel(QObject& receiver, IProgressView& view) : m_receiver(&receiver), m_view(&view)
    {
    }

    bool IsCancelled() const override { return m_bCancel; }
    // A value equal to the last one passed on goes nowhere.
    void SetProgress(int percent) override;
    void SetCurrentFile(const std::string& path) override;
    void SetCaption(const std::string& text) override;
    void AddResultLine(const std::string& text, std::uint32_t colour) override;
    HostAnswer Ask(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void ReportFailure(const std::string& path, const std::string& reason) override;

    void RequestCancel() { m_bCancel = true; }
    void ClearCancel() { m_bCancel = false; }
    // The worker's last act: the view hears of it after every call before.
    void ReportEnd();
    // On the view's thread: nothing reaches the view after this.
    void Detach();

private:
    using ViewCall = std::function<void(IProgressView&)>;

    void Post(ViewCall call);
    void PostLocked(ViewCall call);
    bool OnViewThreadLocked() const;
    template <typename Result>
    Result Request(std::function<Result(IProgressView&)> call, Result fallback);

    std::mutex m_mutex;
    std::condition_variable m_replied;
    // Both null once detached; written on the view's thread under the mutex.
    QObject* m_receiver;
    IProgressView* m_view;
    std::atomic<bool> m_bCancel = false;
    std::atomic<int> m_shownProgress = 0;
};

#pragma once

#include "tracks/IRunHost.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class QObject;

// What a run's worker reported since the view last heard from it: the
// latest file, caption and progress, and every result line and failure in
// the order made.
struct RunUpdates
{
    struct Line
    {
        std::string text;
        std::uint32_t colour;
    };

    std::optional<std::string> currentFile;
    std::optional<std::string> caption;
    std::optional<int> progress;
    std::vector<Line> lines;
    std::vector<std::pair<std::string, std::string>> failures; // path, reason

    bool Empty() const
    {
        return !currentFile && !caption && !progress && lines.empty() && failures.empty();
    }
};

// What shows a run: the progress dialog. Called on its own thread only.
class IProgressView
{
public:
    virtual ~IProgressView() = default;

    virtual void ShowUpdates(const RunUpdates& updates) = 0;
    virtual HostAnswer AskUser(const std::string& question) = 0;
    virtual void ShowUserMessage(const std::string& text, MessageIcon icon) = 0;
    // The work has made its last call.
    virtual void OnWorkEnded() = 0;
};

// The host a run's worker talks to. The worker never waits for the view
// except on questions and messages: its reports are gathered and handed to
// the view in one piece, at most kDeliveryInterval apart, so that a run of
// tiny files costs the view a few dozen updates a second, not one per
// report. Whatever the worker reported before a question, a message or its
// end reaches the view before that. The worker shares the channel, so that
// it may outlive the view: once the view is detached, reports are dropped
// and questions answered Cancel at once, which also frees a worker that is
// waiting for an answer while the view closes. Create with make_shared.
class CRunHostChannel final : public IRunHost, public std::enable_shared_from_this<CRunHostChannel>
{
public:
    static constexpr std::chrono::milliseconds kDeliveryInterval{33};

    // `receiver` lives on the view's thread and carries the deliveries.
    CRunHostChannel(QObject& receiver, IProgressView& view) : m_receiver(&receiver), m_view(&view)
    {
    }

    bool IsCancelled() const override { return m_bCancel; }
    void SetProgress(int percent) override;
    void SetCurrentFile(const std::string& path) override;
    void SetCaption(const std::string& text) override;
    void AddResultLine(const std::string& text, std::uint32_t colour) override;
    HostAnswer Ask(const std::string& question) override;
    void ShowMessage(const std::string& text, MessageIcon icon) override;
    void ReportFailure(const std::string& path, const std::string& reason) override;

    void RequestCancel() { m_bCancel = true; }
    void ClearCancel() { m_bCancel = false; }
    // The worker's last act: the view hears of it after everything before.
    void ReportEnd();
    // On the view's thread: nothing reaches the view after this.
    void Detach();

private:
    using ViewCall = std::function<void(IProgressView&)>;
    using Clock = std::chrono::steady_clock;

    // Adds to the gathered reports and makes sure a delivery is on its way.
    void Gather(const std::function<void(RunUpdates&)>& add);
    // On the view's thread: hands the gathered reports over now.
    void Deliver();
    // On the view's thread: delivers at once or when the interval is up.
    void DeliverInTime();
    // Runs `call` on the view's thread after delivering what was gathered.
    void PostLocked(ViewCall call);
    bool OnViewThreadLocked() const;
    template <typename Result>
    Result Request(std::function<Result(IProgressView&)> call, Result fallback);

    std::mutex m_mutex;
    std::condition_variable m_replied;
    // Both null once detached; written on the view's thread under the mutex.
    QObject* m_receiver;
    IProgressView* m_view;
    RunUpdates m_pending;               // under the mutex
    bool m_deliveryDue = false;         // under the mutex: a delivery is posted or timed
    Clock::time_point m_lastDelivery{}; // the view's thread only
    std::atomic<bool> m_bCancel = false;
    std::atomic<int> m_lastProgress = -1;
};

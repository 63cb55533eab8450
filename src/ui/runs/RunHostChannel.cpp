#include "ui/runs/RunHostChannel.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <QTimer>

void CRunHostChannel::SetProgress(int percent)
{
    // The walk of a file reports its progress per frame; most reports repeat the last.
    if (m_lastProgress.exchange(percent) == percent)
        return;
    Gather([percent](RunUpdates& updates) { updates.progress = percent; });
}

void CRunHostChannel::SetCurrentFile(const std::string& path)
{
    Gather([&path](RunUpdates& updates) { updates.currentFile = path; });
}

void CRunHostChannel::SetCaption(const std::string& text)
{
    Gather([&text](RunUpdates& updates) { updates.caption = text; });
}

void CRunHostChannel::AddResultLine(const std::string& text, std::uint32_t colour)
{
    Gather([&](RunUpdates& updates) { updates.lines.push_back({text, colour}); });
}

void CRunHostChannel::ReportFailure(const std::string& path, const std::string& reason)
{
    Gather([&](RunUpdates& updates) { updates.failures.emplace_back(path, reason); });
}

HostAnswer CRunHostChannel::Ask(const std::string& question)
{
    return Request<HostAnswer>([question](IProgressView& view) { return view.AskUser(question); },
                               HostAnswer::Cancel);
}

void CRunHostChannel::ShowMessage(const std::string& text, MessageIcon icon)
{
    Request<bool>(
        [text, icon](IProgressView& view)
        {
            view.ShowUserMessage(text, icon);
            return true;
        },
        false);
}

void CRunHostChannel::ReportEnd()
{
    std::unique_lock lock(m_mutex);
    if (!m_view)
        return;
    if (OnViewThreadLocked())
    {
        lock.unlock();
        Deliver();
        if (m_view)
            m_view->OnWorkEnded();
        return;
    }
    PostLocked([](IProgressView& view) { view.OnWorkEnded(); });
}

void CRunHostChannel::Detach()
{
    {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
        m_view = nullptr;
        m_pending = {};
    }
    m_replied.notify_all();
}

void CRunHostChannel::Gather(const std::function<void(RunUpdates&)>& add)
{
    std::unique_lock lock(m_mutex);
    if (!m_view)
        return;
    add(m_pending);
    if (OnViewThreadLocked())
    {
        lock.unlock();
        Deliver();
        return;
    }
    if (m_deliveryDue)
        return;
    m_deliveryDue = true;
    QMetaObject::invokeMethod(
        m_receiver, [self = shared_from_this()] { self->DeliverInTime(); }, Qt::QueuedConnection);
}

void CRunHostChannel::DeliverInTime()
{
    if (!m_receiver)
        return;
    const auto since = Clock::now() - m_lastDelivery;
    if (since >= kDeliveryInterval)
    {
        Deliver();
        return;
    }
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(kDeliveryInterval - since);
    QTimer::singleShot(wait, m_receiver, [self = shared_from_this()] { self->Deliver(); });
}

void CRunHostChannel::Deliver()
{
    RunUpdates updates;
    IProgressView* view;
    {
        std::lock_guard lock(m_mutex);
        view = m_view;
        updates = std::exchange(m_pending, {});
        m_deliveryDue = false;
    }
    m_lastDelivery = Clock::now();
    if (view && !updates.Empty())
        view->ShowUpdates(updates);
}

// The receiver cannot go away meanwhile: detaching takes the mutex first.
void CRunHostChannel::PostLocked(ViewCall call)
{
    QMetaObject::invokeMethod(
        m_receiver,
        [self = shared_from_this(), call = std::move(call)]
        {
            self->Deliver();
            // The view is detached only on this thread, so it cannot go while the call runs.
            if (self->m_view)
                call(*self->m_view);
        },
        Qt::QueuedConnection);
}

bool CRunHostChannel::OnViewThreadLocked() const
{
    return QThread::currentThread() == m_receiver->thread();
}

// Runs `call` on the view's thread and waits for its result; `fallback`
// when the view is gone or goes before it answered.
template <typename Result>
Result CRunHostChannel::Request(std::function<Result(IProgressView&)> call, Result fallback)
{
    std::unique_lock lock(m_mutex);
    if (!m_view)
        return fallback;
    if (OnViewThreadLocked())
    {
        lock.unlock();
        Deliver();
        return m_view ? call(*m_view) : fallback;
    }
    auto reply = std::make_shared<std::optional<Result>>();
    PostLocked(
        [self = shared_from_this(), reply, call = std::move(call)](IProgressView& view)
        {
            const Result answer = call(view);
            {
                std::lock_guard guard(self->m_mutex);
                *reply = answer;
            }
            self->m_replied.notify_all();
        });
    m_replied.wait(lock, [&] { return reply->has_value() || !m_view; });
    return reply->value_or(fallback);
}

#include "ui/runs/RunHostChannel.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>
#include <optional>

void CRunHostChannel::SetProgress(int percent)
{
    if (m_shownProgress.exchange(percent) == percent)
        return;
    Post([percent](IProgressView& view) { view.ShowProgress(percent); });
}

void CRunHostChannel::SetCurrentFile(const std::string& path)
{
    Post([path](IProgressView& view) { view.ShowCurrentFile(path); });
}

void CRunHostChannel::SetCaption(const std::string& text)
{
    Post([text](IProgressView& view) { view.ShowCaption(text); });
}

void CRunHostChannel::AddResultLine(const std::string& text, std::uint32_t colour)
{
    Post([text, colour](IProgressView& view) { view.ShowResultLine(text, colour); });
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

void CRunHostChannel::ReportFailure(const std::string& path, const std::string& reason)
{
    Post([path, reason](IProgressView& view) { view.NoteFailure(path, reason); });
}

void CRunHostChannel::ReportEnd()
{
    Post([](IProgressView& view) { view.OnWorkEnded(); });
}

void CRunHostChannel::Detach()
{
    {
        std::lock_guard lock(m_mutex);
        m_receiver = nullptr;
        m_view = nullptr;
    }
    m_replied.notify_all();
}

void CRunHostChannel::Post(ViewCall call)
{
    std::unique_lock lock(m_mutex);
    if (!m_view)
        return;
    if (OnViewThreadLocked())
    {
        IProgressView& view = *m_view;
        lock.unlock();
        call(view);
        return;
    }
    PostLocked(std::move(call));
}

// The receiver cannot go away meanwhile: detaching takes the mutex first.
void CRunHostChannel::PostLocked(ViewCall call)
{
    QMetaObject::invokeMethod(
        m_receiver,
        [self = shared_from_this(), call = std::move(call)]
        {
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
        IProgressView& view = *m_view;
        lock.unlock();
        return call(view);
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

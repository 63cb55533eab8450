#include "tracks/RunThread.h"

CRunThread::CRunThread(std::function<void()> work, std::function<void()> finished)
    : m_thread([state = m_state, work = std::move(work), finished = std::move(finished)]
               { Body(state, work, finished); })
{
}

CRunThread::~CRunThread()
{
    if (!m_thread.joinable())
        return;
    // Dropped from its own `finished`: the thread cannot wait for itself.
    if (m_thread.get_id() == std::this_thread::get_id())
        m_thread.detach();
    else
        m_thread.join();
}

void CRunThread::Body(const std::shared_ptr<State>& state, const std::function<void()>& work,
                      const std::function<void()>& finished)
{
    // Reports the end however the work leaves, exceptions included, and only
    // then lets waiters go: once WaitFor returns, the worker touches nothing
    // of its owner any more.
    struct EndGuard
    {
        State& state;
        const std::function<void()>& finished;
        ~EndGuard()
        {
            if (finished)
                finished();
            std::lock_guard lock(state.mutex);
            state.running = false;
            state.done.notify_all();
        }
    } guard{*state, finished};
    try
    {
        work();
    }
    catch (...)
    {
        // A run reports its own failures to its host; nothing may escape a thread.
    }
}

bool CRunThread::IsRunning() const
{
    std::lock_guard lock(m_state->mutex);
    return m_state->running;
}

bool CRunThread::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_state->mutex);
    return m_state->done.wait_for(lock, timeout, [this] { return !m_state->running; });
}

#include "tracks/RunThread.h"

CRunThread::CRunThread(std::function<void()> work, std::function<void()> finished)
    : m_thread([this, work = std::move(work), finished = std::move(finished)]
               { Body(work, finished); })
{
}

CRunThread::~CRunThread()
{
    if (m_thread.joinable())
        m_thread.join();
}

void CRunThread::Body(const std::function<void()>& work, const std::function<void()>& finished)
{
    // Marks the end and reports it however the work leaves, exceptions included.
    struct EndGuard
    {
        CRunThread& self;
        const std::function<void()>& finished;
        ~EndGuard()
        {
            {
                std::lock_guard lock(self.m_mutex);
                self.m_running = false;
            }
            self.m_done.notify_all();
            if (finished)
                finished();
        }
    } guard{*this, finished};
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
    std::lock_guard lock(m_mutex);
    return m_running;
}

bool CRunThread::WaitFor(std::chrono::milliseconds timeout)
{
    std::unique_lock lock(m_mutex);
    return m_done.wait_for(lock, timeout, [this] { return !m_running; });
}

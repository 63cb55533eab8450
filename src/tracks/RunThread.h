#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

// Runs one work loop on a thread of its own. `finished` is the worker's last
// act, on every way out of the work (a dialog uses it to close itself); a
// waiter learns the end through WaitFor. The destructor waits for the end.
class CRunThread
{
public:
    CRunThread(std::function<void()> work, std::function<void()> finished);
    ~CRunThread();
    CRunThread(const CRunThread&) = delete;
    CRunThread& operator=(const CRunThread&) = delete;

    bool IsRunning() const;
    // True when the work has ended within `timeout`.
    bool WaitFor(std::chrono::milliseconds timeout);

private:
    void Body(const std::function<void()>& work, const std::function<void()>& finished);

    mutable std::mutex m_mutex;
    std::condition_variable m_done;
    bool m_running = true;
    std::thread m_thread;
};

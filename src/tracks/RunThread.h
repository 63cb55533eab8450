#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Runs one work loop on a thread of its own. `finished` runs on the worker
// on every way out of the work (a dialog uses it to post itself a close);
// after it the worker only marks the end, which WaitFor waits for. The
// destructor waits for the end; `finished` may even drop the object.
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
    // Shared with the worker, so that it outlives an owner dropped early.
    struct State
    {
        std::mutex mutex;
        std::condition_variable done;
        bool running = true;
    };

    static void Body(const std::shared_ptr<State>& state, const std::function<void()>& work,
                     const std::function<void()>& finished);

    std::shared_ptr<State> m_state = std::make_shared<State>();
    std::thread m_thread;
};

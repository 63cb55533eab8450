#include "tracks/OrderedWork.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace
{
// What the threads share: which items were taken and which are finished,
// and how far the showing has got.
struct OrderedState
{
    OrderedState(std::size_t count, std::size_t runAhead)
        : started(count, 0), done(count, 0), ahead(runAhead)
    {
    }

    std::mutex mutex;
    std::condition_variable finished;
    std::condition_variable room; // the showing moved on, or everything stops
    std::vector<char> started;
    std::vector<char> done;
    std::size_t next = 0;
    std::size_t shown = 0;
    std::size_t ahead;
    bool stop = false;
};

void TakeItems(OrderedState& state, const std::function<void(std::size_t)>& work)
{
    for (;;)
    {
        std::size_t index;
        {
            std::unique_lock lock(state.mutex);
            state.room.wait(lock,
                            [&]
                            {
                                return state.stop || state.next == state.done.size() ||
                                       state.next < state.shown + state.ahead;
                            });
            if (state.stop || state.next == state.done.size())
                return;
            index = state.next++;
            state.started[index] = 1;
        }
        work(index);
        std::lock_guard lock(state.mutex);
        state.done[index] = 1;
        state.finished.notify_all();
    }
}

// Waits until item `index` is finished; false when it never will be shown.
bool WaitFor(OrderedState& state, std::size_t index, const std::function<bool()>& interrupted)
{
    std::unique_lock lock(state.mutex);
    while (!state.done[index])
    {
        if (state.stop && !state.started[index])
            return false;
        if (!interrupted)
            state.finished.wait(lock);
        else if (interrupted())
        {
            state.stop = true;
            state.room.notify_all();
            return false;
        }
        else
            state.finished.wait_for(lock, std::chrono::milliseconds(100));
    }
    return true;
}
} // namespace

std::size_t RunAhead(unsigned jobs)
{
    return std::max<std::size_t>(jobs, 1) * kRunAheadPerJob;
}

unsigned CoreCount()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? cores : 1;
}

std::size_t RunInOrder(std::size_t count, unsigned jobs,
                       const std::function<void(std::size_t)>& work,
                       const std::function<bool(std::size_t)>& show,
                       const std::function<bool()>& interrupted)
{
    OrderedState state(count, RunAhead(jobs));
    std::vector<std::thread> workers;
    for (std::size_t j = 0; j < std::min<std::size_t>(std::max(jobs, 1u), count); ++j)
        workers.emplace_back([&] { TakeItems(state, work); });

    std::size_t shown = 0;
    for (; shown < count && WaitFor(state, shown, interrupted); ++shown)
    {
        const bool goOn = show(shown);
        {
            std::lock_guard lock(state.mutex);
            state.shown = shown + 1;
            state.stop = state.stop || !goOn;
        }
        state.room.notify_all();
    }
    for (std::thread& worker : workers)
        worker.join();
    return shown;
}

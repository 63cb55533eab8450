#include "tracks/OrderedWork.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

TEST(OrderedWork, ItemsAreShownInOrderWhateverOrderTheyFinishIn)
{
    std::vector<std::size_t> shown;
    const std::size_t count = RunInOrder(
        8, 3,
        // Early items take longest, so later ones finish first.
        [](std::size_t i) { std::this_thread::sleep_for(std::chrono::milliseconds(8 - i)); },
        [&](std::size_t i)
        {
            shown.push_back(i);
            return true;
        });
    EXPECT_EQ(count, 8u);
    EXPECT_EQ(shown, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 7}));
}

TEST(OrderedWork, AShowThatSaysStopStartsNoFurtherItem)
{
    std::atomic<std::size_t> started = 0;
    std::vector<std::size_t> shown;
    RunInOrder(
        100, 2,
        [&](std::size_t)
        {
            ++started;
            std::this_thread::sleep_for(1ms);
        },
        [&](std::size_t i)
        {
            shown.push_back(i);
            return i != 3;
        });
    ASSERT_GE(shown.size(), 4u);
    EXPECT_EQ(shown[3], 3u);
    EXPECT_EQ(shown.size(), started.load()) << "every started item is shown, no other";
    EXPECT_LT(started.load(), 100u);
}

TEST(OrderedWork, AnInterruptEndsTheWaitForAnItemStillRunning)
{
    std::atomic<bool> release = false;
    std::vector<std::size_t> shown;
    const std::size_t count = RunInOrder(
        4, 2,
        [&](std::size_t i)
        {
            while (i == 1 && !release)
                std::this_thread::sleep_for(1ms);
        },
        [&](std::size_t i)
        {
            shown.push_back(i);
            return true;
        },
        [&]
        {
            // Once item 0 is shown the wait is for item 1: interrupt, then let it end.
            if (shown.empty())
                return false;
            release = true;
            return true;
        });
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(shown, (std::vector<std::size_t>{0}));
}

TEST(OrderedWork, OneSlowItemDoesNotLetFinishedOnesPileUp)
{
    std::atomic<std::size_t> shownSoFar = 0;
    std::atomic<std::ptrdiff_t> furthestAhead = 0;
    RunInOrder(
        500, 2,
        [&](std::size_t i)
        {
            const auto ahead = static_cast<std::ptrdiff_t>(i - shownSoFar.load());
            std::ptrdiff_t seen = furthestAhead.load();
            while (ahead > seen && !furthestAhead.compare_exchange_weak(seen, ahead))
            {
            }
            if (i == 0)
                std::this_thread::sleep_for(50ms);
        },
        [&](std::size_t)
        {
            ++shownSoFar;
            return true;
        });
    const auto limit = static_cast<std::ptrdiff_t>(RunAhead(2));
    EXPECT_LT(furthestAhead.load(), limit);
    EXPECT_EQ(furthestAhead.load(), limit - 1) << "the other job works on while it may";
}

#pragma once

#include <cstddef>
#include <functional>

// One job per processor core, at least one.
unsigned CoreCount();

inline constexpr std::size_t kRunAheadPerJob = 16;
std::size_t RunAhead(unsigned jobs);

// Runs `work(i)` for each item i below `count` on up to `jobs` threads, and
// hands each finished item to `show(i)` on the calling thread in item order,
// so that a batch reads as if done one by one. `show` returning false starts
// no further item; those already started still finish and are shown.
// `interrupted`, when given, is asked while waiting: once it holds, nothing
// more is shown or started. Returns how many items were shown.
// No item starts RunAhead(jobs) or more places after the one waiting to be
// shown, so that one slow item does not let finished ones pile up: what the
// caller keeps per finished item stays bounded whatever the count.
std::size_t RunInOrder(std::size_t count, unsigned jobs,
                       const std::function<void(std::size_t)>& work,
                       const std::function<bool(std::size_t)>& show,
                       const std::function<bool()>& interrupted = {});

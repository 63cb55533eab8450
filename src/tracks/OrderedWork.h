#pragma once

#include <cstddef>
#include <functional>

// One job per processor core, at least one.
unsigned CoreCount();

// Runs `work(i)` for each item i below `count` on up to `jobs` threads, and
// hands each finished item to `show(i)` on the calling thread in item order,
// so that a batch reads as if done one by one. `show` returning false starts
// no further item; those already started still finish and are shown.
// `interrupted`, when given, is asked while waiting: once it holds, nothing
// more is shown or started. Returns how many items were shown.
std::size_t RunInOrder(std::size_t count, unsigned jobs,
                       const std::function<void(std::size_t)>& work,
                       const std::function<bool(std::size_t)>& show,
                       const std::function<bool()>& interrupted = {});

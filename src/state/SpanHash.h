#pragma once

#include "io/Status.h"

#include <cstdint>
#include <string>

// A fast hash (64-bit XXH3) of the bytes [start, end) of a file: enough to
// notice that bytes changed, not to guard against anyone changing them on
// purpose. Fails when the file cannot be read that far.
Status HashFileSpan(const std::string& path, std::uint64_t start, std::uint64_t end,
                    std::uint64_t& hash);

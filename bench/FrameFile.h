#pragma once

#include <cstdint>
#include <string>

// Writes `bytes` (rounded down to whole frames) of MPEG-1 Layer III frames at
// 44100 Hz with pseudo-random bodies: constant 128 kbit/s with the usual
// padding pattern, or a variable-bitrate mix. Returns false if it cannot write.
bool WriteFrameFile(const std::string& path, std::uint64_t bytes, bool variableBitrate);

#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The readers under test take paths: each input is written to one fixed file
// per process (in $TMPDIR or /tmp), whose name ends in `extension`.
std::string WriteFuzzInput(const std::uint8_t* data, std::size_t size, const char* extension);

// Fails the run (abort, which libFuzzer reports as a crash) when `condition`
// is false: for properties the product promises, not just memory safety.
void FuzzExpect(bool condition, const char* what);

#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Where each whole page of an Ogg file starts, in order.
std::vector<std::size_t> OggPageOffsets(const std::vector<std::uint8_t>& bytes);
// Gives the page at `offset` the granule position `granule` and a checksum
// that matches again, as a forged or damaged file would carry it.
void SetOggGranule(std::vector<std::uint8_t>& bytes, std::size_t offset, std::int64_t granule);

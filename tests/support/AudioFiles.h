#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CAudioFile;

// Small real audio files for tests, written through the product's own
// writers: `seconds` of the test signal at 44.1 kHz stereo.
std::string WriteTestMp3(const std::string& path, double seconds, const std::string& title = {},
                         const std::string& artist = {}, const std::string& album = {});
std::string WriteTestOgg(const std::string& path, double seconds, const std::string& title = {});
std::string WriteTestWave(const std::string& path, double seconds, unsigned rate = 44100,
                          unsigned channels = 2);

// Every PCM byte the file delivers, read in the pipelines' 32768-byte calls.
std::vector<std::uint8_t> DecodeAll(CAudioFile& file);
std::vector<std::uint8_t> DecodeAll(const std::string& path);

#pragma once

#include "audio/AudioFile.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CWaveFormat;

// Small real audio files for tests, written through the product's own
// writers: `seconds` of the test signal at 44.1 kHz stereo.
std::string WriteTestMp3(const std::string& path, double seconds, const std::string& title = {},
                         const std::string& artist = {}, const std::string& album = {});
std::string WriteTestOgg(const std::string& path, double seconds, const std::string& title = {});
std::string WriteTestWave(const std::string& path, double seconds, unsigned rate = 44100,
                          unsigned channels = 2);
// Writes interleaved `samples` through the WAV writer in `format`, handed
// over in uneven pieces as the pipelines do; returns `path`.
std::string WriteWaveSamples(const std::string& path, const std::vector<std::int16_t>& samples,
                             const CWaveFormat& format);
// One of the three above, as the extension of `path` says (WAV unless .mp3 or .ogg).
std::string WriteTestAudio(const std::string& path, double seconds);

// The file at `path` in the class its extension names, its path set; null
// for an extension no class takes.
std::unique_ptr<CAudioFile> OpenAudioFile(const std::string& path);

// Every PCM byte the file delivers, read in the pipelines' 32768-byte calls.
std::vector<std::uint8_t> DecodeAll(CAudioFile& file);
std::vector<std::uint8_t> DecodeAll(const std::string& path);

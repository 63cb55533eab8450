#pragma once

#include "audio/AudioFile.h"

// An Ogg Vorbis file.
class CAudioOggFile final : public CAudioFile
{
public:
    CAudioOggFile() : CAudioFile(kAudioFormatOgg) {}

    std::uint16_t GetBitsPerSample() const override { return 16; }
    std::uint32_t GetSampleRate() const override { return 0; }
    std::uint16_t GetChannels() const override { return 0; }
    std::int32_t GetLength() const override { return 0; }
    std::int32_t GetPosition() const override { return 0; }
    std::int32_t Read(std::size_t, std::size_t, void*, std::size_t) override { return -1; }
    void EndDecoding() override {}
    bool BeginDecoding() override { return Open(kOpenDecode); }
    bool WriteTags() override { return Fail("not written yet"); }
    bool Open(std::uint32_t) override { return Fail("not written yet"); }
};

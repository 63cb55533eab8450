#pragma once

#include <cstddef>
#include <cstdint>

// Interleaved little-endian signed PCM as the player hands it out.
struct PcmFormat
{
    std::uint32_t sampleRate = 0;
    std::uint16_t channels = 0;
    std::uint16_t bitsPerSample = 16;

    std::uint32_t BlockAlign() const { return std::uint32_t{channels} * bitsPerSample / 8; }
    std::uint32_t AverageBytesPerSecond() const { return BlockAlign() * sampleRate; }
};

// Told, on the user interface thread, each time the device has finished with
// a queued block. Blocks finish in the order they were queued.
class IWaveOutListener
{
public:
    virtual void OnWaveOutBlockDone() = 0;

protected:
    ~IWaveOutListener() = default;
};

// An audio output that plays queued blocks of PCM one after the other, like
// a sound card. Every call comes from the user interface thread.
class IWaveOutDevice
{
public:
    virtual ~IWaveOutDevice() = default;

    // Opens the output for `format`, closing it first when open. A new
    // device plays as soon as blocks arrive. `listener` must outlive the
    // device's open state (Close or destruction).
    virtual bool Open(const PcmFormat& format, IWaveOutListener& listener) = 0;
    virtual bool IsOpen() const = 0;
    // Queues `bytes` bytes (0 is allowed: the block still finishes, in its
    // turn). They must stay untouched until the block is reported done,
    // reset or closed. Ignored when the device is not open.
    virtual void Queue(const std::uint8_t* data, std::size_t bytes) = 0;
    // Holds playback; queued blocks wait.
    virtual void Pause() = 0;
    // Goes on after Pause.
    virtual void Restart() = 0;
    // Drops every queued block. When it returns, every block queued so far
    // counts as done and no notice for any of them will come any more.
    // Leaves a paused device paused.
    virtual void Reset() = 0;
    // Reset, then releases the output; does nothing when not open.
    virtual void Close() = 0;
};

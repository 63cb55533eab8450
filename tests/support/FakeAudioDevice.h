#pragma once

#include "audio/play/WaveOutDevice.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>
#include <string>
#include <vector>

// A wave output for tests: records every call and keeps the queued blocks
// until the test finishes them with Complete, which notifies the listener
// the way the event loop would.
class CFakeAudioDevice final : public IWaveOutDevice
{
public:
    bool Open(const PcmFormat& format, IWaveOutListener& listener) override;
    bool IsOpen() const override { return m_Listener != nullptr; }
    void Queue(const std::uint8_t* data, std::size_t bytes) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    void Close() override;

    // Finishes up to `count` blocks from the front, one notice each; returns
    // how many were finished. Does nothing while paused.
    int Complete(int count = 1);
    // Finishes blocks until none is left or `limit` were finished.
    int CompleteAll(int limit = 1000000);

    // Names of the calls in order: "open", "queue", "pause", "restart",
    // "reset", "close" (Close of a closed device is not recorded).
    std::vector<std::string> calls;
    // Every block ever queued, as queued.
    std::vector<std::vector<std::uint8_t>> queuedBlocks;
    // The blocks waiting to be finished, oldest first: the player's own
    // memory, read only when a block finishes, as a real output does; a
    // player that refilled a block still queued would be heard doing so.
    std::deque<std::span<const std::uint8_t>> pending;
    PcmFormat format;
    bool paused = false;
    // Open fails while this is above 0, counting down.
    int failOpens = 0;
    // Bytes of every finished block in order: what a listener would have heard.
    std::vector<std::uint8_t> played;

private:
    IWaveOutListener* m_Listener = nullptr;
};

#pragma once

#include "audio/play/WaveOutDevice.h"

#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <memory>

// The output used when the machine has no sound output: it plays nothing
// but takes each block for as long as it would last, then reports it done,
// so a player runs its course (position, end, rewind) in silence.
class CNullWaveOutDevice final : public IWaveOutDevice
{
public:
    // Runs `call` on the user interface thread after `delay`, from that
    // thread's event loop (never from inside the calling function).
    using Scheduler =
        std::function<void(std::chrono::milliseconds delay, std::function<void()> call)>;

    explicit CNullWaveOutDevice(Scheduler schedule);
    ~CNullWaveOutDevice() override = default;

    bool Open(const PcmFormat& format, IWaveOutListener& listener) override;
    bool IsOpen() const override { return m_Listener != nullptr; }
    void Queue(const std::uint8_t* data, std::size_t bytes) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    void Close() override;

private:
    void ScheduleFront();
    void FrontDone(unsigned generation);

    Scheduler m_Schedule;
    PcmFormat m_Format;
    IWaveOutListener* m_Listener = nullptr;
    std::deque<std::size_t> m_Queued; // sizes of the blocks not yet done
    bool m_bPaused = false;
    bool m_bWaiting = false; // a call for the front block is scheduled
    // Calls scheduled before the last Pause, Reset or Close carry an older
    // generation and are ignored.
    unsigned m_Generation = 0;
    // Lets a scheduled call tell that the device is gone.
    std::shared_ptr<char> m_Alive = std::make_shared<char>();
};

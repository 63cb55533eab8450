#include "audio/play/NullWaveOutDevice.h"

CNullWaveOutDevice::CNullWaveOutDevice(Scheduler schedule) : m_Schedule(std::move(schedule)) {}

bool CNullWaveOutDevice::Open(const PcmFormat& format, IWaveOutListener& listener)
{
    Close();
    m_Format = format;
    m_Listener = &listener;
    m_bPaused = false;
    return true;
}

void CNullWaveOutDevice::Queue(const std::uint8_t*, std::size_t bytes)
{
    if (!IsOpen())
        return;
    m_Queued.push_back(bytes);
    ScheduleFront();
}

void CNullWaveOutDevice::Pause()
{
    m_bPaused = true;
    m_bWaiting = false;
    ++m_Generation;
}

void CNullWaveOutDevice::Restart()
{
    m_bPaused = false;
    ScheduleFront();
}

void CNullWaveOutDevice::Reset()
{
    m_Queued.clear();
    m_bWaiting = false;
    ++m_Generation;
}

void CNullWaveOutDevice::Close()
{
    Reset();
    m_Listener = nullptr;
}

// The front block is "played" for its own length; the rest wait their turn.
void CNullWaveOutDevice::ScheduleFront()
{
    if (m_bPaused || m_bWaiting || m_Queued.empty() || !m_Schedule)
        return;
    const std::uint64_t perSecond = m_Format.AverageBytesPerSecond();
    const auto delay = std::chrono::milliseconds(
        perSecond == 0 ? 0 : static_cast<std::int64_t>(m_Queued.front() * 1000 / perSecond));
    m_bWaiting = true;
    m_Schedule(delay,
               [this, alive = std::weak_ptr<char>(m_Alive), generation = m_Generation]
               {
                   if (alive.lock())
                       FrontDone(generation);
               });
}

void CNullWaveOutDevice::FrontDone(unsigned generation)
{
    if (generation != m_Generation || m_Queued.empty())
        return;
    m_bWaiting = false;
    m_Queued.pop_front();
    ScheduleFront();
    // Last: the listener may queue, reset or close.
    m_Listener->OnWaveOutBlockDone();
}

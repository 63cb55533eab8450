#include "FakeAudioDevice.h"

bool CFakeAudioDevice::Open(const PcmFormat& newFormat, IWaveOutListener& listener)
{
    Close();
    calls.push_back("open");
    if (failOpens > 0)
    {
        --failOpens;
        return false;
    }
    format = newFormat;
    m_Listener = &listener;
    paused = false;
    return true;
}

void CFakeAudioDevice::Queue(const std::uint8_t* data, std::size_t bytes)
{
    calls.push_back("queue");
    if (!IsOpen())
        return;
    queuedBlocks.emplace_back(data, data + bytes);
    pending.emplace_back(data, bytes);
}

void CFakeAudioDevice::Pause()
{
    calls.push_back("pause");
    paused = true;
}

void CFakeAudioDevice::Restart()
{
    calls.push_back("restart");
    paused = false;
}

void CFakeAudioDevice::Reset()
{
    calls.push_back("reset");
    pending.clear();
}

void CFakeAudioDevice::Close()
{
    if (!IsOpen())
        return;
    calls.push_back("close");
    pending.clear();
    m_Listener = nullptr;
}

int CFakeAudioDevice::Complete(int count)
{
    int done = 0;
    while (done < count && !paused && !pending.empty() && IsOpen())
    {
        played.insert(played.end(), pending.front().begin(), pending.front().end());
        pending.pop_front();
        ++done;
        m_Listener->OnWaveOutBlockDone();
    }
    return done;
}

int CFakeAudioDevice::CompleteAll(int limit)
{
    return Complete(limit);
}

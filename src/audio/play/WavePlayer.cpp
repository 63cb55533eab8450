#include "audio/play/WavePlayer.h"

#include "audio/AudioFile.h"

#include <algorithm>

CWavePlayer::CWavePlayer(std::unique_ptr<IWaveOutDevice> device) : m_Device(std::move(device)) {}

CWavePlayer::~CWavePlayer()
{
    m_bPlaying = false;
    CloseDevice();
    // The file is not ours, but the decoding pass is.
    if (m_bDecoding)
        m_AudioFile->EndDecoding();
}

bool CWavePlayer::Open(CAudioFile& file, IWaveOutListener& listener)
{
    CloseDevice();
    m_bPlaying = false;
    if (m_bDecoding)
        m_AudioFile->EndDecoding();
    m_AudioFile = &file;
    m_Position = 0;
    // Decoding first, so the format is that of the opened file.
    m_bDecoding = file.BeginDecoding().Ok();
    if (!m_bDecoding)
        return false;

    PcmFormat format;
    format.sampleRate = file.GetSampleRate();
    format.channels = file.GetChannels();
    format.bitsPerSample = 16;
    if (format.AverageBytesPerSecond() > 0 && m_Device->Open(format, listener))
    {
        m_Blocks.resize(kBlockCount);
        m_BlockCount = kBlockCount;
    }
    return true;
}

void CWavePlayer::Start()
{
    if (m_bPlaying || !m_bDecoding || !m_Device->IsOpen())
        return;
    m_bPlaying = true;
    // The whole ring is queued before the device starts on it.
    m_Device->Pause();
    FillBlocks(true);
    m_Device->Restart();
}

void CWavePlayer::Pause()
{
    if (m_Device->IsOpen())
        m_Device->Pause();
    m_bPlaying = false;
}

void CWavePlayer::Stop()
{
    if (m_bPlaying)
        return;
    CloseDevice();
    if (m_bDecoding)
        m_AudioFile->EndDecoding();
    m_bDecoding = false;
}

void CWavePlayer::SeekPercent(int percent)
{
    if (!m_bDecoding)
        return;
    const bool wasPlaying = m_bPlaying;
    m_bPlaying = false;
    DropQueued();
    const std::int64_t length = std::max(m_AudioFile->GetLength(), 0);
    m_Position = static_cast<std::int32_t>(length * std::clamp(percent, 0, 100) / 100);
    m_AudioFile->Seek(m_Position);
    if (wasPlaying)
    {
        m_bPlaying = true;
        FillBlocks(true);
        m_Device->Restart();
    }
}

void CWavePlayer::OnBlockDone(bool force)
{
    --m_Queued;
    if (!m_bDecoding)
        return;
    m_Position = m_AudioFile->GetPosition();
    FillBlocks(force);
}

void CWavePlayer::Halt()
{
    if (!m_bPlaying)
        return;
    m_bPlaying = false;
    DropQueued();
}

void CWavePlayer::FillBlocks(bool force)
{
    while (m_bPlaying && m_Queued < m_BlockCount)
    {
        Block& block = m_Blocks[static_cast<std::size_t>(m_Next)];
        const std::int32_t read = m_AudioFile->Read(kBlockBytes, 1, block.data(), kBlockBytes);
        const std::size_t bytes = std::min<std::size_t>(std::max(read, 0), kBlockBytes);
        m_Device->Queue(block.data(), bytes);
        if (bytes == 0 && !force)
        {
            // The end: this empty block is left out of the count, so its
            // notice, the last one, takes the count below 0.
            m_bPlaying = false;
            return;
        }
        ++m_Queued;
        m_Next = (m_Next + 1) % m_BlockCount;
    }
}

void CWavePlayer::DropQueued()
{
    if (m_Device->IsOpen())
        m_Device->Reset();
    m_Next = 0;
    m_Queued = 0;
}

void CWavePlayer::CloseDevice()
{
    m_Device->Close();
    m_Blocks.clear();
    m_BlockCount = 0;
    m_Next = 0;
    m_Queued = 0;
}

void DeliverBlockDone(CWavePlayer& player)
{
    player.OnBlockDone(false);
    if (!player.IsActive())
        player.SeekPercent(0);
}

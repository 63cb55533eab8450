#include "ui/play/BlockQueueReader.h"

#include <algorithm>
#include <cstring>

CBlockQueueReader::CBlockQueueReader(DoneHandler onDone, unsigned generation, QObject* parent)
    : QIODevice(parent), m_generation(generation), m_onDone(std::move(onDone))
{
}

void CBlockQueueReader::Push(const std::uint8_t* data, std::size_t bytes)
{
    {
        std::lock_guard lock(m_mutex);
        m_blocks.push_back({data, bytes, 0});
        m_available += bytes;
        PopFinished();
    }
    // Wakes a sink that stopped reading when it found nothing.
    emit readyRead();
}

void CBlockQueueReader::Clear(unsigned generation)
{
    std::lock_guard lock(m_mutex);
    m_blocks.clear();
    m_available = 0;
    m_generation = generation;
}

void CBlockQueueReader::Detach()
{
    std::lock_guard lock(m_mutex);
    m_blocks.clear();
    m_available = 0;
    m_onDone = nullptr;
}

qint64 CBlockQueueReader::bytesAvailable() const
{
    std::lock_guard lock(m_mutex);
    return static_cast<qint64>(m_available) + QIODevice::bytesAvailable();
}

qint64 CBlockQueueReader::readData(char* data, qint64 maxSize)
{
    std::lock_guard lock(m_mutex);
    std::size_t copied = 0;
    const std::size_t wanted = static_cast<std::size_t>(std::max<qint64>(maxSize, 0));
    while (copied < wanted && !m_blocks.empty())
    {
        Block& front = m_blocks.front();
        const std::size_t piece = std::min(front.size - front.offset, wanted - copied);
        std::memcpy(data + copied, front.data + front.offset, piece);
        front.offset += piece;
        copied += piece;
        m_available -= piece;
        PopFinished();
    }
    return static_cast<qint64>(copied);
}

qint64 CBlockQueueReader::writeData(const char*, qint64)
{
    return -1;
}

void CBlockQueueReader::PopFinished()
{
    while (!m_blocks.empty() && m_blocks.front().offset == m_blocks.front().size)
    {
        m_blocks.pop_front();
        if (m_onDone)
            m_onDone(m_generation);
    }
}

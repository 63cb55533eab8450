#pragma once

#include <QIODevice>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>

// What an audio sink in pull mode reads from: the bytes of the queued blocks,
// in order. Blocks are queued on the user interface thread; the sink may read
// on a thread of its own. Each block read to its end (an empty one as soon as
// it is at the front) is passed to the done handler, tagged with the
// generation it was queued in.
class CBlockQueueReader final : public QIODevice
{
    Q_OBJECT

public:
    // Called with the reader's lock held: it must only post the notice on.
    using DoneHandler = std::function<void(unsigned generation)>;

    CBlockQueueReader(DoneHandler onDone, unsigned generation, QObject* parent = nullptr);

    // `data` must stay untouched until the block is done or cleared.
    void Push(const std::uint8_t* data, std::size_t bytes);
    // Drops every block; blocks done from now on carry `generation`.
    void Clear(unsigned generation);
    // Clear, and no more done calls at all.
    void Detach();

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    struct Block
    {
        const std::uint8_t* data;
        std::size_t size;
        std::size_t offset;
    };

    void PopFinished();

    mutable std::mutex m_mutex;
    std::deque<Block> m_blocks;
    std::size_t m_available = 0;
    unsigned m_generation;
    DoneHandler m_onDone;
};

#pragma once

#include "audio/play/WaveOutDevice.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QAudioSink;
class CBlockQueueReader;

// The wave output through Qt Multimedia: a QAudioSink on the default output
// pulls the queued blocks; each block read to its end is reported done by a
// queued call on the user interface thread. Pause and Restart suspend and
// resume the sink.
class CQtWaveOutDevice final : public IWaveOutDevice
{
public:
    CQtWaveOutDevice();
    ~CQtWaveOutDevice() override;
    CQtWaveOutDevice(const CQtWaveOutDevice&) = delete;
    CQtWaveOutDevice& operator=(const CQtWaveOutDevice&) = delete;

    // Fails when there is no default output or it cannot take the format.
    bool Open(const PcmFormat& format, IWaveOutListener& listener) override;
    bool IsOpen() const override { return m_listener != nullptr; }
    void Queue(const std::uint8_t* data, std::size_t bytes) override;
    void Pause() override;
    void Restart() override;
    void Reset() override;
    void Close() override;

private:
    void Deliver(unsigned generation);

    // Receives the done calls; goes last, taking calls still on their way.
    QObject m_context;
    IWaveOutListener* m_listener = nullptr;
    // Calls carrying an older generation were overtaken by Reset or Close.
    unsigned m_generation = 0;
    // The sink owns the reader and is deleted from the event loop.
    QPointer<QAudioSink> m_sink;
    QPointer<CBlockQueueReader> m_reader;
};

// The output for playback: Qt's when the machine has a default audio output,
// else the silent one, so that playing goes on without sound or error.
std::unique_ptr<IWaveOutDevice> CreateWaveOutDevice();

#include "ui/play/QtWaveOutDevice.h"

#include "audio/play/NullWaveOutDevice.h"
#include "ui/play/BlockQueueReader.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QAudioSink>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QTimer>

namespace
{
// What the sink holds ahead of the speaker: enough against drop-outs, little
// enough that a seek is heard at once.
constexpr qint64 kSinkBufferMicroseconds = 200000;

bool ToQtFormat(const PcmFormat& format, QAudioFormat& qtFormat)
{
    qtFormat.setSampleRate(static_cast<int>(format.sampleRate));
    qtFormat.setChannelCount(format.channels);
    switch (format.bitsPerSample)
    {
    case 8:
        qtFormat.setSampleFormat(QAudioFormat::UInt8);
        break;
    case 16:
        qtFormat.setSampleFormat(QAudioFormat::Int16);
        break;
    case 32:
        qtFormat.setSampleFormat(QAudioFormat::Int32);
        break;
    default:
        return false;
    }
    return qtFormat.isValid();
}
} // namespace

CQtWaveOutDevice::CQtWaveOutDevice() = default;

CQtWaveOutDevice::~CQtWaveOutDevice()
{
    Close();
}

bool CQtWaveOutDevice::Open(const PcmFormat& format, IWaveOutListener& listener)
{
    Close();
    const QAudioDevice output = QMediaDevices::defaultAudioOutput();
    QAudioFormat qtFormat;
    if (output.isNull() || !ToQtFormat(format, qtFormat) || !output.isFormatSupported(qtFormat))
        return false;

    m_sink = new QAudioSink(output, qtFormat);
    m_sink->setBufferSize(qtFormat.bytesForDuration(kSinkBufferMicroseconds));
    // The reader may run on the sink's own thread: it only posts.
    auto post = [this](unsigned generation)
    {
        QMetaObject::invokeMethod(
            &m_context, [this, generation] { Deliver(generation); }, Qt::QueuedConnection);
    };
    m_reader = new CBlockQueueReader(post, ++m_generation, m_sink);
    m_reader->open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    // An output that goes away (headphones unplugged, sound server gone)
    // stops the sink for good: the device closes, so that its owner can tell
    // and open another instead of waiting for blocks that never finish.
    QObject::connect(m_sink, &QAudioSink::stateChanged, &m_context,
                     [this, generation = m_generation](QAudio::State state)
                     {
                         if (state == QAudio::StoppedState && generation == m_generation &&
                             m_sink && m_sink->error() != QAudio::NoError)
                         {
                             QMetaObject::invokeMethod(
                                 &m_context,
                                 [this, generation]
                                 {
                                     if (generation == m_generation)
                                         Close();
                                 },
                                 Qt::QueuedConnection);
                         }
                     });
    m_sink->start(m_reader);
    if (m_sink->error() != QAudio::NoError || m_sink->state() == QAudio::StoppedState)
    {
        Close();
        return false;
    }
    m_listener = &listener;
    return true;
}

void CQtWaveOutDevice::Queue(const std::uint8_t* data, std::size_t bytes)
{
    if (IsOpen())
        m_reader->Push(data, bytes);
}

void CQtWaveOutDevice::Pause()
{
    if (IsOpen())
        m_sink->suspend();
}

void CQtWaveOutDevice::Restart()
{
    if (IsOpen())
        m_sink->resume();
}

void CQtWaveOutDevice::Reset()
{
    if (IsOpen())
        m_reader->Clear(++m_generation);
}

void CQtWaveOutDevice::Close()
{
    ++m_generation;
    m_listener = nullptr;
    if (m_reader)
        m_reader->Detach();
    if (m_sink)
    {
        m_sink->stop();
        // Not deleted here: a sink may run the event loop while it goes, and
        // the caller is in the middle of its own work.
        m_sink->deleteLater();
        m_sink = nullptr;
    }
    m_reader = nullptr;
}

void CQtWaveOutDevice::Deliver(unsigned generation)
{
    if (generation == m_generation && m_listener)
        m_listener->OnWaveOutBlockDone();
}

std::unique_ptr<IWaveOutDevice> CreateWaveOutDevice()
{
    if (!QMediaDevices::defaultAudioOutput().isNull())
        return std::make_unique<CQtWaveOutDevice>();
    return std::make_unique<CNullWaveOutDevice>(
        [](std::chrono::milliseconds delay, std::function<void()> call)
        { QTimer::singleShot(delay, QCoreApplication::instance(), std::move(call)); });
}

#include "conversion/PcmConverter.h"

#include "audio/pcm/Resampler.h"

#include <algorithm>
#include <cstring>

CPcmConverter::CPcmConverter() = default;
CPcmConverter::~CPcmConverter() = default;

bool CPcmConverter::SetSourceRate(std::uint32_t rate)
{
    if (rate < kLowestRate || rate > kHighestRate)
        return false;
    if (rate != m_sourceRate)
        m_resampler.reset();
    m_sourceRate = rate;
    return true;
}

bool CPcmConverter::SetSourceChannels(unsigned channels)
{
    if (channels != 1 && channels != 2)
        return false;
    if (channels != m_sourceChannels)
        m_resampler.reset();
    m_sourceChannels = channels;
    return true;
}

void CPcmConverter::SetInput(const std::int16_t* frames, std::size_t count)
{
    m_input = frames;
    m_inputLeft = count;
}

void CPcmConverter::SetOutput(std::int16_t* frames, std::size_t count)
{
    m_output = frames;
    m_outputLeft = count;
}

void CPcmConverter::Reset()
{
    m_sourceRate = kTargetRate;
    m_sourceChannels = kTargetChannels;
    m_input = nullptr;
    m_inputLeft = 0;
    m_output = nullptr;
    m_outputLeft = 0;
    m_resampler.reset();
}

void CPcmConverter::Convert(std::size_t* consumed, std::size_t* produced)
{
    const std::size_t inputBefore = m_inputLeft;
    const std::size_t outputBefore = m_outputLeft;
    if (m_sourceRate == kTargetRate)
        Copy();
    else
        Resample();
    if (consumed)
        *consumed = inputBefore - m_inputLeft;
    if (produced)
        *produced = outputBefore - m_outputLeft;
}

void CPcmConverter::Copy()
{
    const std::size_t k = std::min(m_inputLeft, m_outputLeft);
    PutStereo(m_input, k);
    m_input += k * m_sourceChannels;
    m_inputLeft -= k;
}

CResampler& CPcmConverter::Resampler()
{
    if (!m_resampler)
        m_resampler = std::make_unique<CResampler>(m_sourceRate, kTargetRate, m_sourceChannels);
    return *m_resampler;
}

void CPcmConverter::Resample()
{
    std::size_t consumed = 0;
    if (m_sourceChannels == kTargetChannels)
    {
        const std::size_t made =
            Resampler().Process(m_input, m_inputLeft, consumed, m_output, m_outputLeft);
        m_output += made * kTargetChannels;
        m_outputLeft -= made;
    }
    else
    {
        m_mono.resize(m_outputLeft);
        const std::size_t made =
            Resampler().Process(m_input, m_inputLeft, consumed, m_mono.data(), m_mono.size());
        PutStereo(m_mono.data(), made);
    }
    m_input += consumed * m_sourceChannels;
    m_inputLeft -= consumed;
}

std::size_t CPcmConverter::Flush()
{
    if (m_sourceRate == kTargetRate || !m_resampler)
        return 0;
    if (m_sourceChannels == kTargetChannels)
    {
        const std::size_t made = m_resampler->Flush(m_output, m_outputLeft);
        m_output += made * kTargetChannels;
        m_outputLeft -= made;
        return made;
    }
    m_mono.resize(m_outputLeft);
    const std::size_t made = m_resampler->Flush(m_mono.data(), m_mono.size());
    PutStereo(m_mono.data(), made);
    return made;
}

void CPcmConverter::PutStereo(const std::int16_t* frames, std::size_t count)
{
    if (m_sourceChannels == kTargetChannels)
    {
        std::memcpy(m_output, frames, count * kTargetChannels * sizeof *frames);
    }
    else
    {
        for (std::size_t i = 0; i < count; ++i)
            m_output[2 * i] = m_output[2 * i + 1] = frames[i];
    }
    m_output += count * kTargetChannels;
    m_outputLeft -= count;
}

#include "conversion/PcmConverter.h"

#include <algorithm>

namespace
{
constexpr std::uint32_t kOne = 65536; // 1.0 in 16.16 fixed point

// Writes one frame of `from` channels as a frame of `to` channels: a mono
// sample goes to both sides, a stereo pair becomes its average.
void PutFrame(const std::int32_t* sample, unsigned from, unsigned to, std::int16_t* out)
{
    if (from == to)
    {
        for (unsigned c = 0; c < to; ++c)
            out[c] = static_cast<std::int16_t>(sample[c]);
    }
    else if (from == 1)
    {
        out[0] = out[1] = static_cast<std::int16_t>(sample[0]);
    }
    else
    {
        out[0] = static_cast<std::int16_t>((sample[0] + sample[1]) >> 1);
    }
}
} // namespace

bool CPcmConverter::SetSourceRate(std::uint32_t rate)
{
    if (rate < kLowestRate || rate > kHighestRate)
        return false;
    m_sourceRate = rate;
    return true;
}

bool CPcmConverter::SetSourceChannels(unsigned channels)
{
    if (channels != 1 && channels != 2)
        return false;
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
    *this = CPcmConverter();
}

void CPcmConverter::Convert(std::size_t* consumed, std::size_t* produced)
{
    const std::size_t inputBefore = m_inputLeft;
    const std::size_t outputBefore = m_outputLeft;
    const unsigned from = m_sourceChannels;
    const unsigned to = m_targetChannels;
    std::int32_t frame[2];

    if (m_sourceRate == m_targetRate)
    {
        const std::size_t k = std::min(m_inputLeft, m_outputLeft);
        for (std::size_t i = 0; i < k; ++i)
        {
            for (unsigned c = 0; c < from; ++c)
                frame[c] = m_input[c];
            PutFrame(frame, from, to, m_output);
            m_input += from;
            m_output += to;
        }
        m_inputLeft -= k;
        m_outputLeft -= k;
        m_phase = 0;
    }
    else if (m_inputLeft > 0 && m_outputLeft > 0)
    {
        // 64-bit, as rate * 65536 passes 32 bits above 65535 Hz. The step
        // itself stays below 9 * 65536 at the highest rate, so the phase
        // (a fraction plus one step at most) never nears 32 bits.
        const auto step =
            static_cast<std::uint32_t>(std::uint64_t{m_sourceRate} * kOne / m_targetRate);
        while (m_outputLeft > 0)
        {
            const std::size_t whole = m_phase / kOne;
            if (whole > 0)
            {
                if (whole >= m_inputLeft)
                {
                    // The next frame lies in the next block: keep the part
                    // of the phase that reaches into it.
                    m_phase -= static_cast<std::uint32_t>(m_inputLeft) * kOne;
                    m_input += m_inputLeft * from;
                    m_inputLeft = 0;
                    break;
                }
                m_input += whole * from;
                m_inputLeft -= whole;
                m_phase %= kOne;
            }
            if (m_phase != 0 && m_inputLeft >= 2)
            {
                const std::int64_t weight = m_phase;
                for (unsigned c = 0; c < from; ++c)
                    frame[c] = static_cast<std::int32_t>(
                        (m_input[from + c] * weight + m_input[c] * (kOne - weight)) >> 16);
            }
            else
            {
                for (unsigned c = 0; c < from; ++c)
                    frame[c] = m_input[c];
            }
            PutFrame(frame, from, to, m_output);
            m_output += to;
            --m_outputLeft;
            m_phase += step;
        }
    }

    if (consumed)
        *consumed = inputBefore - m_inputLeft;
    if (produced)
        *produced = outputBefore - m_outputLeft;
}

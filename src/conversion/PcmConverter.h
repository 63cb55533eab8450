#pragma once

#include <cstddef>
#include <cstdint>

// Brings interleaved 16-bit PCM of any rate and one or two channels to
// 44100 Hz stereo: linear interpolation in 16.16 fixed point, the phase
// carried from call to call so that consecutive blocks join without a gap.
// No floating point.
class CPcmConverter
{
public:
    static constexpr std::uint32_t kTargetRate = 44100;
    static constexpr unsigned kTargetChannels = 2;
    static constexpr std::uint32_t kLowestRate = 100;
    static constexpr std::uint32_t kHighestRate = 384000;

    // Rates from kLowestRate to kHighestRate; otherwise false, and the
    // previous rate stays.
    bool SetSourceRate(std::uint32_t rate);
    // 1 or 2; otherwise false, and the previous count stays.
    bool SetSourceChannels(unsigned channels);
    void SetInput(const std::int16_t* frames, std::size_t count);
    void SetOutput(std::int16_t* frames, std::size_t count);
    // Converts as much as fits; optional out-parameters say how many input
    // frames were consumed and output frames produced.
    void Convert(std::size_t* consumed = nullptr, std::size_t* produced = nullptr);
    // Back to the start state: 44100 Hz stereo, no input, no output, phase 0.
    void Reset();

    std::size_t InputLeft() const { return m_inputLeft; }

private:
    std::uint32_t m_sourceRate = kTargetRate;
    unsigned m_sourceChannels = kTargetChannels;
    const std::int16_t* m_input = nullptr;
    std::size_t m_inputLeft = 0;
    std::uint32_t m_targetRate = kTargetRate;
    unsigned m_targetChannels = kTargetChannels;
    std::int16_t* m_output = nullptr;
    std::size_t m_outputLeft = 0;
    std::uint32_t m_phase = 0; // whole frames in the upper 16 bits
};

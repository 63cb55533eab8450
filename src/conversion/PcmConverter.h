#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CResampler;

// Brings interleaved 16-bit PCM of any rate from 1 kHz to 768 kHz and one or
// two channels to 44100 Hz stereo. 44100 Hz passes through untouched (a
// mono sample goes to both sides); other rates go through a band-limited
// resampler whose state is carried from call to call, so consecutive
// blocks join exactly as one long block would. After the last block,
// Flush delivers what the resampler still holds.
class CPcmConverter
{
public:
    static constexpr std::uint32_t kTargetRate = 44100;
    static constexpr unsigned kTargetChannels = 2;
    static constexpr std::uint32_t kLowestRate = 1000;
    static constexpr std::uint32_t kHighestRate = 768000;

    CPcmConverter();
    ~CPcmConverter();
    CPcmConverter(const CPcmConverter&) = delete;
    CPcmConverter& operator=(const CPcmConverter&) = delete;

    // Rates from kLowestRate to kHighestRate; otherwise false, and the
    // previous rate stays. A change starts a fresh stream.
    bool SetSourceRate(std::uint32_t rate);
    // 1 or 2; otherwise false, and the previous count stays. A change starts
    // a fresh stream.
    bool SetSourceChannels(unsigned channels);
    void SetInput(const std::int16_t* frames, std::size_t count);
    void SetOutput(std::int16_t* frames, std::size_t count);
    // Converts as much as fits; optional out-parameters say how many input
    // frames were consumed and output frames produced.
    void Convert(std::size_t* consumed = nullptr, std::size_t* produced = nullptr);
    // Ends the stream: writes into the output what the resampler still
    // holds. Call until it produces nothing; returns the frames produced.
    std::size_t Flush();
    // Back to the start state: 44100 Hz stereo, no input, no output.
    void Reset();

    std::size_t InputLeft() const { return m_inputLeft; }

private:
    void Copy();
    void Resample();
    // Writes `frames` frames of the source's channel count as stereo.
    void PutStereo(const std::int16_t* frames, std::size_t count);
    CResampler& Resampler();

    std::uint32_t m_sourceRate = kTargetRate;
    unsigned m_sourceChannels = kTargetChannels;
    const std::int16_t* m_input = nullptr;
    std::size_t m_inputLeft = 0;
    std::int16_t* m_output = nullptr;
    std::size_t m_outputLeft = 0;
    std::unique_ptr<CResampler> m_resampler; // made on first use at a rate
    std::vector<std::int16_t> m_mono;        // resampled mono before widening
};

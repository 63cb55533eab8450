#pragma once

#include <cstddef>
#include <cstdint>

struct soxr;

// Changes the sampling rate of interleaved signed 16-bit PCM with a
// band-limited, linear-phase filter of high quality. The filter's state is
// carried from call to call, so blocks of any size join exactly as one long
// block would: nothing is dropped, held or repeated at a block boundary.
// After the last input, Flush drains what the filter still holds; then N
// input frames have given round(N × target / source) output frames (±1).
// Not copyable; owns the filter.
class CResampler
{
public:
    // Rates in Hz, channels 1 or more. Raises std::invalid_argument for a
    // zero rate or channel count, std::runtime_error when the filter cannot
    // be set up.
    CResampler(std::uint32_t sourceRate, std::uint32_t targetRate, unsigned channels);
    ~CResampler();
    CResampler(const CResampler&) = delete;
    CResampler& operator=(const CResampler&) = delete;

    // Resamples up to `frames` input frames into at most `capacity` output
    // frames; `consumed` says how many input frames were taken (fewer when
    // the output filled up). Returns the output frames written.
    std::size_t Process(const std::int16_t* input, std::size_t frames, std::size_t& consumed,
                        std::int16_t* output, std::size_t capacity);
    // Ends the input and writes what the filter still holds; call until it
    // returns 0. No input may follow.
    std::size_t Flush(std::int16_t* output, std::size_t capacity);

    std::uint32_t SourceRate() const { return m_sourceRate; }
    unsigned Channels() const { return m_channels; }

private:
    soxr* m_soxr = nullptr;
    std::uint32_t m_sourceRate;
    unsigned m_channels;
};

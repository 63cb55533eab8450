#include "audio/pcm/Resampler.h"

#include <soxr.h>
#include <stdexcept>
#include <string>

CResampler::CResampler(std::uint32_t sourceRate, std::uint32_t targetRate, unsigned channels)
    : m_sourceRate(sourceRate), m_channels(channels)
{
    if (sourceRate == 0 || targetRate == 0 || channels == 0)
        throw std::invalid_argument("a sampling rate and a channel count are needed");
    // No dither: digital silence stays silent and equal input gives equal
    // output; the 16-bit rounding lies far below what the filter lets through.
    const soxr_io_spec_t io = soxr_io_spec(SOXR_INT16_I, SOXR_INT16_I);
    soxr_io_spec_t quiet = io;
    quiet.flags |= SOXR_NO_DITHER;
    const soxr_quality_spec_t quality = soxr_quality_spec(SOXR_HQ, 0);
    const soxr_runtime_spec_t runtime = soxr_runtime_spec(1);
    soxr_error_t error = nullptr;
    m_soxr = soxr_create(sourceRate, targetRate, channels, &error, &quiet, &quality, &runtime);
    if (!m_soxr)
        throw std::runtime_error(std::string("cannot set up the resampler: ") +
                                 (error ? error : "unknown error"));
}

CResampler::~CResampler()
{
    soxr_delete(m_soxr);
}

std::size_t CResampler::Process(const std::int16_t* input, std::size_t frames,
                                std::size_t& consumed, std::int16_t* output, std::size_t capacity)
{
    consumed = 0;
    std::size_t produced = 0;
    // A null input means the end to the library, so an empty block is skipped.
    if (frames == 0 && capacity == 0)
        return 0;
    static const std::int16_t kNothing = 0;
    soxr_process(m_soxr, frames > 0 ? input : &kNothing, frames, &consumed, output, capacity,
                 &produced);
    return produced;
}

std::size_t CResampler::Flush(std::int16_t* output, std::size_t capacity)
{
    std::size_t produced = 0;
    soxr_process(m_soxr, nullptr, 0, nullptr, output, capacity, &produced);
    return produced;
}

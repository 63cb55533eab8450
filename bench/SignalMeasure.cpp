// Measures a WAV file's left channel for the resampling comparison:
//   tw-measure thdn FILE HZ    THD+N of a sine of HZ in 50 ms windows:
//                              median and worst window, in dB
//   tw-measure level FILE      RMS level of the middle of the file, dBFS
//   tw-measure frames FILE     sample frames of the file
#include "audio/wav/AudioWaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

namespace
{
struct Signal
{
    std::vector<double> left; // full scale is 1
    std::uint32_t rate = 0;
};

bool ReadLeft(const char* path, Signal& signal)
{
    CAudioWaveFile file;
    file.SetPath(path);
    if (Status failed = file.BeginDecoding(); !failed)
    {
        std::fprintf(stderr, "%s: %s\n", path, failed.Reason().c_str());
        return false;
    }
    signal.rate = file.GetSampleRate();
    const unsigned channels = file.GetChannels();
    std::vector<std::int16_t> block(32768);
    for (std::int32_t got; (got = file.Read(2, block.size(), block.data(), block.size() * 2)) > 0;)
        for (std::size_t i = 0; i + channels <= static_cast<std::size_t>(got) / 2; i += channels)
            signal.left.push_back(block[i] / 32768.0);
    return true;
}

// Fits a·cos + b·sin + c at `hz` to the window by least squares (the
// normal equations of three unknowns) and returns residual / sine power.
double WindowThdn(const double* x, std::size_t n, double hz, std::uint32_t rate)
{
    double m[3][3] = {}, v[3] = {};
    for (std::size_t i = 0; i < n; ++i)
    {
        const double w = 2 * std::numbers::pi * hz * double(i) / rate;
        const double basis[3] = {std::cos(w), std::sin(w), 1.0};
        for (int r = 0; r < 3; ++r)
        {
            v[r] += basis[r] * x[i];
            for (int c = 0; c < 3; ++c)
                m[r][c] += basis[r] * basis[c];
        }
    }
    // Gaussian elimination; the basis is well conditioned over 50 cycles.
    for (int p = 0; p < 3; ++p)
        for (int r = p + 1; r < 3; ++r)
        {
            const double f = m[r][p] / m[p][p];
            for (int c = p; c < 3; ++c)
                m[r][c] -= f * m[p][c];
            v[r] -= f * v[p];
        }
    double k[3];
    for (int r = 2; r >= 0; --r)
    {
        double s = v[r];
        for (int c = r + 1; c < 3; ++c)
            s -= m[r][c] * k[c];
        k[r] = s / m[r][r];
    }
    double residual = 0;
    for (std::size_t i = 0; i < n; ++i)
    {
        const double w = 2 * std::numbers::pi * hz * double(i) / rate;
        const double e = x[i] - (k[0] * std::cos(w) + k[1] * std::sin(w) + k[2]);
        residual += e * e;
    }
    const double sine = (k[0] * k[0] + k[1] * k[1]) / 2 * double(n);
    return 10 * std::log10(std::max(residual, 1e-30) / sine);
}

int Thdn(const Signal& signal, double hz)
{
    const std::size_t window = signal.rate / 20;
    // The first and last 100 ms hold the filters' start and end.
    const std::size_t edge = signal.rate / 10;
    std::vector<double> results;
    for (std::size_t at = edge; at + window + edge <= signal.left.size(); at += window)
        results.push_back(WindowThdn(&signal.left[at], window, hz, signal.rate));
    if (results.empty())
        return 1;
    std::sort(results.begin(), results.end());
    std::printf("%.1f %.1f\n", results[results.size() / 2], results.back());
    return 0;
}

int Level(const Signal& signal)
{
    const std::size_t n = signal.left.size();
    double power = 0;
    for (std::size_t i = n / 10; i < n * 9 / 10; ++i)
        power += signal.left[i] * signal.left[i];
    power /= std::max<double>(1, double(n * 8 / 10));
    std::printf("%.1f\n", 10 * std::log10(std::max(power * 2, 1e-30))); // a sine's peak level
    return 0;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
    {
        std::fprintf(stderr, "usage: tw-measure thdn|level|frames FILE [HZ]\n");
        return 2;
    }
    const std::string what = argv[1];
    Signal signal;
    if (!ReadLeft(argv[2], signal))
        return 1;
    if (what == "thdn" && argc == 4)
        return Thdn(signal, std::atof(argv[3]));
    if (what == "level")
        return Level(signal);
    if (what == "frames")
        return std::printf("%zu\n", signal.left.size()) < 0;
    std::fprintf(stderr, "usage: tw-measure thdn|level|frames FILE [HZ]\n");
    return 2;
}

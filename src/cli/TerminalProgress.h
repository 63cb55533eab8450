#pragma once

#include "check/IProgressSink.h"

#include <chrono>
#include <cstddef>
#include <iosfwd>
#include <string>

// One self-overwriting progress line on a terminal's error stream: files done
// of the total, the percentage within the current file and its path. Does
// nothing when disabled (error stream not a terminal), so scripts get clean
// output. Repeated percentages and redraws faster than the eye are dropped.
class CTerminalProgress final : public IProgressSink
{
public:
    CTerminalProgress(std::ostream& err, bool enabled, int width);
    ~CTerminalProgress() override;

    void StartFile(std::size_t index, std::size_t total, const std::string& path);
    // Erases the line, so that other output starts on a clean line.
    void Clear();

    bool IsCancelled() const override { return false; }
    void SetProgress(int percent) override;

private:
    void Draw();

    std::ostream& m_err;
    bool m_enabled;
    std::size_t m_width;
    std::size_t m_index = 0;
    std::size_t m_total = 0;
    std::string m_path;
    int m_percent = -1;
    bool m_shown = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

#include "cli/TerminalProgress.h"

#include "io/Printable.h"

#include <algorithm>
#include <ostream>

namespace
{
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr const char* kEraseLine = "\r\033[K";
constexpr std::size_t kNarrowestLine = 20;

// Keeps the end of a long path, where the file name is.
std::string FitFromLeft(const std::string& text, std::size_t room)
{
    if (text.size() <= room)
        return text;
    if (room <= 3)
        return text.substr(text.size() - room);
    std::size_t start = text.size() - (room - 3);
    while (start < text.size() && (static_cast<unsigned char>(text[start]) & 0xC0) == 0x80)
        ++start; // never start inside a UTF-8 sequence
    return "..." + text.substr(start);
}
} // namespace

CTerminalProgress::CTerminalProgress(std::ostream& err, bool enabled, int width)
    : m_err(err), m_enabled(enabled),
      m_width(std::max<std::size_t>(kNarrowestLine, static_cast<std::size_t>(std::max(width, 0))))
{
}

CTerminalProgress::~CTerminalProgress()
{
    Clear();
}

void CTerminalProgress::StartFile(std::size_t index, std::size_t total, const std::string& path)
{
    m_index = index;
    m_total = total;
    m_path = Printable(path);
    m_percent = 0;
    Draw();
}

void CTerminalProgress::SetProgress(int percent)
{
    if (!m_enabled || percent == m_percent)
        return;
    m_percent = percent;
    Draw();
}

void CTerminalProgress::Draw()
{
    if (!m_enabled)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (m_shown && now - m_lastDraw < kRedrawInterval)
        return;
    m_lastDraw = now;
    std::string head = "[" + std::to_string(m_index + 1) + "/" + std::to_string(m_total) + "] " +
                       std::to_string(std::max(m_percent, 0)) + "% ";
    // One column spare: a line that fills the terminal would wrap.
    std::size_t room = m_width > head.size() + 1 ? m_width - head.size() - 1 : 0;
    m_err << kEraseLine << head << FitFromLeft(m_path, room) << std::flush;
    m_shown = true;
}

void CTerminalProgress::Clear()
{
    if (m_shown)
    {
        m_err << kEraseLine << std::flush;
        m_shown = false;
    }
}

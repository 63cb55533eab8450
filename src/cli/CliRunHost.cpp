#include "cli/CliRunHost.h"

#include "io/Printable.h"

#include <algorithm>
#include <istream>
#include <ostream>

namespace
{
// A dialog's text on one terminal line: its line breaks become blanks, and
// the file names in it cannot drive the terminal.
std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return Printable(text);
}
} // namespace

CCliRunHost::CCliRunHost(CliContext& context, OverwritePolicy policy, std::size_t files)
    : m_context(context), m_policy(policy),
      m_progress(context.err, context.errIsTerminal, context.terminalWidth), m_files(files)
{
}

void CCliRunHost::SetCurrentFile(const std::string& path)
{
    if (path.empty())
    {
        m_progress.Clear();
        return;
    }
    ++m_index;
    m_progress.StartFile(m_index - 1, std::max(m_files, m_index), path);
}

void CCliRunHost::AddResultLine(const std::string& text, std::uint32_t)
{
    m_progress.Clear();
    m_context.out << Printable(text) << '\n';
    if (m_context.errIsTerminal)
        m_context.out.flush();
}

HostAnswer CCliRunHost::Ask(const std::string& question)
{
    if (m_policy == OverwritePolicy::Yes)
        return HostAnswer::Yes;
    if (m_policy == OverwritePolicy::No || !m_context.in || !m_context.inIsTerminal)
        return HostAnswer::No;
    m_progress.Clear();
    m_context.err << OneLine(question) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(*m_context.in, answer))
        return HostAnswer::No;
    return !answer.empty() && (answer[0] == 'y' || answer[0] == 'Y') ? HostAnswer::Yes
                                                                     : HostAnswer::No;
}

void CCliRunHost::ShowMessage(const std::string& text, MessageIcon icon)
{
    if (icon == MessageIcon::Error)
        ++m_errors;
    m_progress.Clear();
    m_context.err << kProgramName << ": " << OneLine(text) << "\n";
}

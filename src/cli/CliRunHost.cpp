#include "cli/CliRunHost.h"

#include <ostream>

void CCliRunHost::ShowMessage(const std::string& text, MessageIcon)
{
    m_context.err << kProgramName << ": " << text << "\n";
}

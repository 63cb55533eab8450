#pragma once

#include <string>

// A file name or tag text as it may be printed on one line of a terminal, a
// tab-separated file or the analysis report: control characters (which could
// break or forge lines, or drive the terminal) become escapes (\n, \t, \r,
// \xNN), and a backslash is doubled so that escapes cannot be mistaken for
// name characters.
std::string Printable(const std::string& text);

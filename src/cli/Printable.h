#pragma once

#include <string>

// A file name as it may be printed on one line of a terminal or a
// tab-separated file: control characters (which could break lines or drive
// the terminal) become escapes (\n, \t, \r, \xNN), and a backslash is doubled
// so that escapes cannot be mistaken for name characters.
std::string Printable(const std::string& text);

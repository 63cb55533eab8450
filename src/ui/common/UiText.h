#pragma once

#include <QString>
#include <string>

// The window's side of the string table: every user-facing text goes
// through Tr, so that a translation file beside the program can replace it.
QString Tr(const char* text);

// Paths and texts are UTF-8 in the core and QString in the window.
QString ToQString(const std::string& utf8);
std::string ToUtf8(const QString& text);

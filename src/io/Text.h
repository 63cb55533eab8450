#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Text in the core is UTF-8. These helpers cut and convert it without ever
// splitting a multi-byte sequence.

bool IsValidUtf8(std::string_view text);

// The longest prefix of `text` of at most `maxBytes` bytes that ends on a
// character boundary.
std::string CutUtf8(std::string_view text, std::size_t maxBytes);

// UTF-8 text as Latin-1 bytes, for formats that hold only that; characters
// beyond Latin-1 become '?'. Invalid UTF-8 bytes are taken as Latin-1.
std::string Latin1FromUtf8(std::string_view text);

// Bytes from a file whose character set is unknown: UTF-8 when they are valid
// UTF-8, else taken as Latin-1, the usual 8-bit tag encoding.
std::string Utf8FromLegacy(std::string_view bytes);

// `seconds` since 1970 as local "YYYY-MM-DD HH:MM".
std::string LocalTimeText(std::int64_t seconds);

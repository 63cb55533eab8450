#include "io/Printable.h"

#include <cstdio>

namespace
{
void AppendHex(std::string& out, unsigned char byte)
{
    char hex[5];
    std::snprintf(hex, sizeof hex, "\\x%02X", byte);
    out += hex;
}
} // namespace

std::string Printable(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (byte == '\\')
            out += "\\\\";
        else if (byte == '\n')
            out += "\\n";
        else if (byte == '\t')
            out += "\\t";
        else if (byte == '\r')
            out += "\\r";
        else if (byte < 0x20 || byte == 0x7F)
            AppendHex(out, byte);
        else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F)
        {
            // A C1 control character in UTF-8: terminals may act on it too.
            AppendHex(out, byte);
            AppendHex(out, static_cast<unsigned char>(next));
            ++i;
        }
        else
            out += static_cast<char>(byte);
    }
    return out;
}

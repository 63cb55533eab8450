#include "io/Paths.h"

#include <system_error>

std::string UpperCaseExtension(const std::filesystem::path& path)
{
    const std::string name = Utf8FromPath(path.filename());
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return {};
    std::string extension = name.substr(dot);
    for (char& c : extension)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return extension;
}

std::filesystem::path PathFromUtf8(const std::string& text)
{
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

std::string Utf8FromPath(const std::filesystem::path& path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::string FollowLinks(const std::string& path)
{
    std::error_code error;
    const std::filesystem::path original = PathFromUtf8(path);
    if (!std::filesystem::is_symlink(original, error))
        return path;
    const std::filesystem::path target = std::filesystem::canonical(original, error);
    return error ? path : Utf8FromPath(target);
}

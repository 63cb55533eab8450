#pragma once

#include <filesystem>
#include <string>

// The file name's extension from its last '.', dot included, in ASCII upper
// case (".MP3"); empty when the name has no dot. A name that starts with its
// only dot (".mp3") counts as all extension, as file kinds are judged by it.
std::string UpperCaseExtension(const std::filesystem::path& path);

// Converts between the UTF-8 text the core uses and file system paths.
std::filesystem::path PathFromUtf8(const std::string& text);
std::string Utf8FromPath(const std::filesystem::path& path);

// The file a link at `path` leads to, or `path` itself when it is no link or
// leads nowhere: a file rewritten in place through a link must stay a link.
std::string FollowLinks(const std::string& path);

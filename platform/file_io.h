#pragma once
// Whole-file reading and safe replacement for the program's own small text and
// settings files. Failures throw UserError naming the file.
#include <cstddef>
#include <filesystem>
#include <string>

namespace vellumark::platform {

// The file's bytes, at most `maxBytes` of them. Throws UserError when the file
// is missing, is not a regular file, or cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes = static_cast<std::size_t>(-1));

// Replaces the file's content with `bytes`: writes a temporary file beside it
// and renames it into place, so a failure at any point leaves the previous
// file as it was. Throws UserError.
void ReplaceFileContent(const std::filesystem::path& path, const std::string& bytes);

}  // namespace vellumark::platform

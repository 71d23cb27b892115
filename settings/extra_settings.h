#pragma once
// The options the binary settings file has no room for, in a small UTF-8
// text file beside it, one "key=value" line each. The binary file keeps its
// layout, so other programs that read it still can. No Qt here: the command
// line reads the same file.
#include <filesystem>
#include <string>

#include "settings/settings.h"

namespace vellumark::settings {

inline constexpr const char* kExtraSettingsFileName = "Vellumark.ext.ini";

// The extra file that belongs to the settings file at `settingsPath`.
std::filesystem::path ExtraSettingsPath(const std::filesystem::path& settingsPath);

// Fills the record's extra options from the file. A missing or unreadable
// file, an unknown key or a value that is not one of the key's changes
// nothing: the option keeps its value. Never throws.
void ReadExtraSettingsFile(const std::filesystem::path& path, SettingsRecord& settings);

// Writes the extra options (through a temporary file and a rename). Throws
// UserError naming the file when it cannot be written.
void WriteExtraSettingsFile(const std::filesystem::path& path, const SettingsRecord& settings);

// The file's text (for tests and the writer).
std::string EncodeExtraSettings(const SettingsRecord& settings);

}  // namespace vellumark::settings

#include "settings/extra_settings.h"

#include <string_view>

#include "platform/error.h"
#include "platform/file_io.h"

namespace vellumark::settings {

namespace {

constexpr std::string_view kFullOutlineKey = "fullOutline";
// A few lines of options; a file far larger than that is not ours.
constexpr std::size_t kMaxFileBytes = 64 * 1024;

std::string_view Trimmed(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r";
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

}  // namespace

std::filesystem::path ExtraSettingsPath(const std::filesystem::path& settingsPath) {
  return settingsPath.parent_path() / kExtraSettingsFileName;
}

std::string EncodeExtraSettings(const SettingsRecord& settings) {
  return std::string(kFullOutlineKey) + "=" + (settings.fullOutline ? "1" : "0") + "\n";
}

void WriteExtraSettingsFile(const std::filesystem::path& path, const SettingsRecord& settings) {
  platform::WriteAtomically(path, EncodeExtraSettings(settings));
}

void ReadExtraSettingsFile(const std::filesystem::path& path, SettingsRecord& settings) {
  std::string bytes;
  try {
    bytes = platform::ReadFileBytes(path, kMaxFileBytes);
  } catch (const platform::UserError&) {
    // Missing (a first start, or a settings file made by another program)
    // or unreadable: the options keep their values.
    return;
  }
  std::string_view text = bytes;
  // An editor may have saved the file with a byte-order mark.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  // Each pass takes one line off the front, so the loop ends with the text.
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view key = Trimmed(line.substr(0, equals));
    const std::string_view value = Trimmed(line.substr(equals + 1));
    if (key == kFullOutlineKey && (value == "0" || value == "1")) settings.fullOutline = value == "1";
  }
}

}  // namespace vellumark::settings

#pragma once
// The settings record and the binary settings file "Vellumark.ini"
// (little-endian 16-bit fields, CP932 delimiter; 17 bytes with the initial
// values). The record keeps the codes and field names the file has always
// had, since other programs read it; conversion_options.h turns it into the
// options a conversion runs with. No Qt here: the command line reads the
// same file.
#include <cstdint>
#include <filesystem>
#include <string>

namespace vellumark::settings {

struct SettingsRecord {
  std::int16_t fullThumbnail = 0;  // 0 all pages, 1 first page only
  std::int16_t Check1 = 1;         // 1 delete thumbnails before embedding
  std::int16_t makeBM2mokuji = 0;  // 0 contents page, else scan all pages
  std::int16_t Check2 = 1;         // 1 forced bookmark creation
  std::string Text1 = "\xEF\xBD\xA5";  // delimiter, UTF-8 ("･" U+FF65)
  std::int16_t OpSave = 0;         // 0 split by size, else one file
  std::int16_t Text2 = 1;          // part size in MB
  std::int16_t OpSplit = 0;        // 0 chapter, 1 section, 2 all, 3 size only
  // Not in the binary layout, which peers read and which has no room for
  // it: kept in the extra settings file beside it (extra_settings.h).
  bool fullOutline = false;        // every part carries the whole bookmark tree
};

// The split units the window offers: 0 chapters .. 3 size only.
inline constexpr std::int16_t kFirstSplitUnit = 0;
inline constexpr std::int16_t kLastSplitUnit = 3;

// Reads what the file holds into `settings`: fields the file is too short for
// keep their current values; a missing file changes nothing; a split unit
// outside the offered ones reads as chapters (0). Never throws.
// Returns false when the file was missing or short.
bool ReadSettingsFile(const std::filesystem::path& path, SettingsRecord& settings);

// Writes exactly the layout (through a temporary file and a rename). Throws
// UserError when the file cannot be written or the delimiter has no CP932 form.
void WriteSettingsFile(const std::filesystem::path& path, const SettingsRecord& settings);

// The same layout as bytes (for tests and the writer).
std::string EncodeSettings(const SettingsRecord& settings);

}  // namespace vellumark::settings

#include "settings/settings.h"

#include <cstddef>
#include <limits>

#include "platform/codepage.h"
#include "platform/error.h"
#include "platform/file_io.h"

namespace vellumark::settings {

namespace {

// Four 16-bit fields, the 16-bit delimiter length, then up to 65535 delimiter
// bytes and three more 16-bit fields: nothing the reader needs lies beyond.
constexpr std::size_t kMaxFileBytes = 10 + 65535 + 6;

void PutUint16(std::string& bytes, std::uint16_t value) {
  bytes += static_cast<char>(value & 0xFF);
  bytes += static_cast<char>(value >> 8);
}

void PutInt16(std::string& bytes, std::int16_t value) { PutUint16(bytes, static_cast<std::uint16_t>(value)); }

// Reads the file front to back; each Take fails once the bytes run out, so a
// short file yields the fields before the cut and nothing after it.
class FieldReader {
 public:
  explicit FieldReader(const std::string& bytes) : bytes_(bytes) {}

  bool TakeUint16(std::uint16_t& value) {
    if (bytes_.size() - pos_ < 2) return false;
    value = static_cast<std::uint16_t>(static_cast<unsigned char>(bytes_[pos_]) |
                                       (static_cast<unsigned char>(bytes_[pos_ + 1]) << 8));
    pos_ += 2;
    return true;
  }

  bool TakeInt16(std::int16_t& value) {
    std::uint16_t raw = 0;
    if (!TakeUint16(raw)) return false;
    value = static_cast<std::int16_t>(raw);  // two's complement, as written
    return true;
  }

  bool TakeBytes(std::size_t count, std::string& value) {
    if (bytes_.size() - pos_ < count) return false;
    value = bytes_.substr(pos_, count);
    pos_ += count;
    return true;
  }

 private:
  const std::string& bytes_;
  std::size_t pos_ = 0;
};

}  // namespace

std::string EncodeSettings(const SettingsRecord& settings) {
  const std::string delimiter = platform::Utf8ToCp932(settings.Text1);
  if (delimiter.size() > std::numeric_limits<std::uint16_t>::max()) {
    throw platform::UserError({}, "区切り文字が長すぎて保存できません");
  }
  std::string bytes;
  PutInt16(bytes, settings.fullThumbnail);
  PutInt16(bytes, settings.Check1);
  PutInt16(bytes, settings.makeBM2mokuji);
  PutInt16(bytes, settings.Check2);
  PutUint16(bytes, static_cast<std::uint16_t>(delimiter.size()));
  bytes += delimiter;
  PutInt16(bytes, settings.OpSave);
  PutInt16(bytes, settings.Text2);
  PutInt16(bytes, settings.OpSplit);
  return bytes;
}

void WriteSettingsFile(const std::filesystem::path& path, const SettingsRecord& settings) {
  std::string bytes;
  try {
    bytes = EncodeSettings(settings);
  } catch (const platform::UserError& error) {
    throw platform::UserError(path, error.reason());
  }
  // A temporary file left by a program killed while saving goes first.
  platform::RemoveLeftOverTemporaries(path.parent_path());
  platform::WriteAtomically(path, bytes);
}

bool ReadSettingsFile(const std::filesystem::path& path, SettingsRecord& settings) {
  std::string bytes;
  try {
    bytes = platform::ReadFileBytes(path, kMaxFileBytes);
  } catch (const platform::UserError&) {
    // A missing or unreadable settings file is no error: the options simply
    // keep their values, as at a first start.
    return false;
  }
  FieldReader reader(bytes);
  if (!reader.TakeInt16(settings.fullThumbnail)) return false;
  if (!reader.TakeInt16(settings.Check1)) return false;
  if (!reader.TakeInt16(settings.makeBM2mokuji)) return false;
  if (!reader.TakeInt16(settings.Check2)) return false;
  std::uint16_t length = 0;
  std::string delimiter;
  if (!reader.TakeUint16(length) || !reader.TakeBytes(length, delimiter)) return false;
  try {
    settings.Text1 = platform::Cp932ToUtf8(delimiter);
  } catch (const platform::UserError&) {
    // Bytes that are no CP932 text cannot be shown; the delimiter keeps its
    // value while the fields after it, whose place is known, are still read.
  }
  if (!reader.TakeInt16(settings.OpSave)) return false;
  if (!reader.TakeInt16(settings.Text2)) return false;
  if (!reader.TakeInt16(settings.OpSplit)) return false;
  // A split unit no button offers would make every split job save nothing
  // while the window shows the first unit selected; it loads as that unit,
  // chapters, so the window, the command line and the saved parts agree.
  if (settings.OpSplit < kFirstSplitUnit || settings.OpSplit > kLastSplitUnit) settings.OpSplit = kFirstSplitUnit;
  return true;
}

}  // namespace vellumark::settings

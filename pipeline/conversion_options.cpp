// The part size limit: the megabytes the user types, as the bytes a part
// file may hold.
#include "pipeline/conversion_options.h"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>

#include "platform/error.h"

namespace vellumark::pipeline {

namespace {

constexpr int kMinimumMegabytes = 1;
// 2048 MB is the largest size whose limit fits a signed 32-bit byte count.
constexpr int kMaximumMegabytes = 2048;
constexpr std::int64_t kBytesPerMegabyte = 1024 * 1024;
// 0.2 MB of headroom, 209,715.2 bytes: the part limit is (MB - 0.2) MiB
// rounded half to even. The fraction is always .2, never a half, so the
// rounding is the whole part of the headroom away from the nominal size.
constexpr std::int64_t kHeadroomBytes = 209715;

std::optional<int> ParseMegabytes(const std::string& sizeText) {
  // Only digits: the size box accepts nothing else, and a sign, a space or a
  // fraction here means the text came from somewhere the user cannot see.
  if (sizeText.empty() || sizeText.size() > 9) return std::nullopt;
  for (const char c : sizeText) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  int value = 0;
  const auto [end, ec] = std::from_chars(sizeText.data(), sizeText.data() + sizeText.size(), value);
  if (ec != std::errc() || end != sizeText.data() + sizeText.size()) return std::nullopt;
  if (value < kMinimumMegabytes || value > kMaximumMegabytes) return std::nullopt;
  return value;
}

std::string SizeTextMessage(const std::string& sizeText) {
  return "分割サイズ「" + sizeText + "」は使えません。1 から 2048 までの整数 (MB) を指定してください。";
}

}  // namespace

std::int32_t SizeLimitFromText(const std::string& sizeText) {
  const auto megabytes = ParseMegabytes(sizeText);
  if (!megabytes) throw platform::UserError({}, SizeTextMessage(sizeText));
  return static_cast<std::int32_t>(*megabytes * kBytesPerMegabyte - kHeadroomBytes);
}

std::optional<std::string> CheckSizeText(const std::string& sizeText) {
  if (ParseMegabytes(sizeText)) return std::nullopt;
  return SizeTextMessage(sizeText);
}

}  // namespace vellumark::pipeline

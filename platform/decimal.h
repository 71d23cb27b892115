#pragma once
// Whole numbers as plain decimal text, the same under every locale: page
// numbers in status texts and bookmarks, sizes, byte positions in messages.
// (std::to_chars never groups digits nor uses a locale's digits.)
#include <charconv>
#include <concepts>
#include <string>

namespace vellumark::platform {

template <std::integral T>
std::string Decimal(T value) {
  // Enough for the 20 digits and the sign of any 64-bit value.
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

}  // namespace vellumark::platform

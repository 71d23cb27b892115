// Page labels as ranges and back. The encoder lets each range count on as
// far as the labels allow, so a document numbered "i, ii, 1-1 … 1-40,
// 2-1 …" costs one range per chapter, not one per page.
#include "acrobat/page_labels.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string_view>

namespace vellumark::acrobat::detail {

namespace {

// The number part of a label never runs longer than this: enough for any
// page number a document prints, and it keeps "AAAA…" or "MMMM…" of a
// hostile start number from growing with the number.
constexpr std::size_t kMaxNumberChars = 16;
// A prefix read from a file is cut to this many bytes: every page of a
// range repeats its prefix, so a few long ones over many pages would
// otherwise cost their length times the page count.
constexpr std::size_t kMaxPrefixBytes = 256;
// Start numbers above this are not counted on from (no overflow, and far
// beyond any printed page number).
constexpr long long kLargestStart = 1'000'000'000'000;
// Readers keep /St in an int; nine digits always fit.
constexpr std::size_t kMaxDecimalDigits = 9;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::optional<std::string> Roman(long long n, bool upper) {
  if (n < 1 || n / 1000 > static_cast<long long>(kMaxNumberChars)) return std::nullopt;
  struct Step {
    int value;
    const char* lower;
    const char* upper;
  };
  static constexpr std::array<Step, 13> kSteps{{{1000, "m", "M"},
                                                {900, "cm", "CM"},
                                                {500, "d", "D"},
                                                {400, "cd", "CD"},
                                                {100, "c", "C"},
                                                {90, "xc", "XC"},
                                                {50, "l", "L"},
                                                {40, "xl", "XL"},
                                                {10, "x", "X"},
                                                {9, "ix", "IX"},
                                                {5, "v", "V"},
                                                {4, "iv", "IV"},
                                                {1, "i", "I"}}};
  std::string text;
  for (const auto& step : kSteps) {
    for (; n >= step.value; n -= step.value) text += upper ? step.upper : step.lower;
  }
  if (text.size() > kMaxNumberChars) return std::nullopt;
  return text;
}

// a … z, then aa … zz, aaa …: the letter repeated, as viewers count.
std::optional<std::string> Letters(long long n, bool upper) {
  if (n < 1) return std::nullopt;
  const long long repeat = (n - 1) / 26 + 1;
  if (repeat > static_cast<long long>(kMaxNumberChars)) return std::nullopt;
  return std::string(static_cast<std::size_t>(repeat), static_cast<char>((upper ? 'A' : 'a') + (n - 1) % 26));
}

// The number part of a label: nothing when the style has none or cannot
// write the number.
std::optional<std::string> NumberText(LabelStyle style, long long n) {
  switch (style) {
    case LabelStyle::kNone:
      return std::string();
    case LabelStyle::kDecimal: {
      if (n < 1) return std::nullopt;
      std::array<char, 24> digits{};
      auto result = std::to_chars(digits.data(), digits.data() + digits.size(), n);
      return std::string(digits.data(), result.ptr);
    }
    case LabelStyle::kRomanLower:
      return Roman(n, false);
    case LabelStyle::kRomanUpper:
      return Roman(n, true);
    case LabelStyle::kLettersLower:
      return Letters(n, false);
    case LabelStyle::kLettersUpper:
      return Letters(n, true);
  }
  return std::nullopt;
}

// One way to read a label: prefix plus the style's rendering of `start`.
struct Reading {
  LabelStyle style;
  std::string prefix;
  long long start;
};

// The label as a prefix and a decimal number. A number written with a
// leading zero ("01") is not one a viewer would print from /S /D.
std::optional<Reading> DecimalReading(const std::string& label) {
  std::size_t digitsAt = label.size();
  while (digitsAt > 0 && IsDigit(label[digitsAt - 1])) --digitsAt;
  const std::string_view digits(label.data() + digitsAt, label.size() - digitsAt);
  if (digits.empty() || digits.size() > kMaxDecimalDigits || digits.front() == '0') return std::nullopt;
  long long value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return Reading{LabelStyle::kDecimal, label.substr(0, digitsAt), value};
}

int RomanDigit(char c) {
  switch (c) {
    case 'i': case 'I': return 1;
    case 'v': case 'V': return 5;
    case 'x': case 'X': return 10;
    case 'l': case 'L': return 50;
    case 'c': case 'C': return 100;
    case 'd': case 'D': return 500;
    case 'm': case 'M': return 1000;
    default: return 0;
  }
}

bool IsRomanLetter(char c, bool upper) { return RomanDigit(c) != 0 && (upper == (c >= 'A' && c <= 'Z')); }

// The label as a prefix and the longest Roman numeral it ends with, in the
// one spelling a viewer would print ("iiii" and "vv" are no numerals).
std::optional<Reading> RomanReading(const std::string& label, bool upper) {
  std::size_t runAt = label.size();
  while (runAt > 0 && label.size() - runAt < kMaxNumberChars && IsRomanLetter(label[runAt - 1], upper)) --runAt;
  for (std::size_t at = runAt; at < label.size(); ++at) {
    const std::string_view numeral(label.data() + at, label.size() - at);
    long long value = 0;
    for (std::size_t k = 0; k < numeral.size(); ++k) {
      const int digit = RomanDigit(numeral[k]);
      const int next = k + 1 < numeral.size() ? RomanDigit(numeral[k + 1]) : 0;
      value += digit < next ? -digit : digit;
    }
    if (Roman(value, upper) == std::optional<std::string>(numeral)) {
      return Reading{upper ? LabelStyle::kRomanUpper : LabelStyle::kRomanLower, label.substr(0, at), value};
    }
  }
  return std::nullopt;
}

// How many pages from `first` on the reading labels correctly.
std::size_t PagesCovered(const Reading& reading, const std::vector<std::string>& labels, std::size_t first) {
  std::size_t count = 0;
  for (std::size_t i = first; i < labels.size(); ++i) {
    const auto number = NumberText(reading.style, reading.start + static_cast<long long>(i - first));
    if (!number || labels[i] != reading.prefix + *number) break;
    ++count;
  }
  return count;
}

}  // namespace

std::vector<LabelRange> RangesFromLabels(const std::vector<std::string>& labels) {
  std::vector<LabelRange> ranges;
  bool anyLabel = false;
  for (const auto& label : labels) anyLabel = anyLabel || !label.empty();
  if (!anyLabel) return ranges;
  // Greedy: each range takes the reading that carries it furthest. Every
  // step covers at least its first page, so the loop ends.
  for (std::size_t first = 0; first < labels.size();) {
    const std::string& label = labels[first];
    // In order of preference when two readings go equally far; the prefix
    // alone always reads the page itself.
    std::vector<Reading> readings;
    if (auto decimal = DecimalReading(label)) readings.push_back(std::move(*decimal));
    if (auto roman = RomanReading(label, false)) readings.push_back(std::move(*roman));
    if (auto roman = RomanReading(label, true)) readings.push_back(std::move(*roman));
    readings.push_back(Reading{LabelStyle::kNone, label, 1});
    std::size_t bestCount = 0;
    const Reading* best = nullptr;
    for (const auto& reading : readings) {
      const std::size_t count = PagesCovered(reading, labels, first);
      if (count > bestCount) {
        bestCount = count;
        best = &reading;
      }
    }
    ranges.push_back(LabelRange{static_cast<int>(first), best->style, best->prefix, best->start});
    first += bestCount;
  }
  return ranges;
}

std::vector<std::string> LabelsFromRanges(const std::vector<LabelRange>& ranges, int pageCount) {
  std::vector<std::string> labels(static_cast<std::size_t>(std::max(pageCount, 0)));
  for (std::size_t k = 0; k < ranges.size(); ++k) {
    const LabelRange& range = ranges[k];
    const int end = k + 1 < ranges.size() ? std::min(ranges[k + 1].firstPage, pageCount) : pageCount;
    const std::string prefix = BoundedLabelPrefix(range.prefix);
    for (int page = std::max(range.firstPage, 0); page < end; ++page) {
      std::string& label = labels[static_cast<std::size_t>(page)];
      label = prefix;
      if (range.start < 1 || range.start > kLargestStart) continue;
      if (auto number = NumberText(range.style, range.start + (page - range.firstPage))) label += *number;
    }
  }
  return labels;
}

// `prefix` cut to at most kMaxPrefixBytes, never inside a UTF-8 sequence.
std::string BoundedLabelPrefix(const std::string& prefix) {
  if (prefix.size() <= kMaxPrefixBytes) return prefix;
  std::size_t cut = kMaxPrefixBytes;
  while (cut > 0 && (static_cast<unsigned char>(prefix[cut]) & 0xC0) == 0x80) --cut;
  return prefix.substr(0, cut);
}

}  // namespace vellumark::acrobat::detail

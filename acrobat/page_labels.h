#pragma once
// Printed page numbers ("2-1", "iii", "資-3") as a PDF stores them: a list
// of ranges, each giving its first page a prefix and a numbering style that
// counts on page by page until the next range begins. Plain data both ways;
// turning ranges into PDF objects and back is the engine's business.
#include <string>
#include <vector>

namespace vellumark::acrobat::detail {

enum class LabelStyle {
  kNone,          // the prefix alone, the same on every page of the range
  kDecimal,       // 1, 2, 3
  kRomanLower,    // i, ii, iii
  kRomanUpper,    // I, II, III
  kLettersLower,  // a … z, aa … zz, aaa (read from files, never written)
  kLettersUpper,  // A … Z, AA … ZZ, AAA
};

struct LabelRange {
  int firstPage = 0;  // page index the range starts at
  LabelStyle style = LabelStyle::kNone;
  std::string prefix;  // UTF-8
  long long start = 1;  // the number of the range's first page
  bool operator==(const LabelRange&) const = default;
};

// The fewest ranges this encoder finds that give every page its label.
// No ranges when no page has a label; otherwise the first range starts at
// page 0, as readers require.
std::vector<LabelRange> RangesFromLabels(const std::vector<std::string>& labels);

// The label of each of `pageCount` pages under `ranges` (sorted by first
// page, as the number tree holds them): "" before the first range. Labels
// are cut to a bounded length, so a file cannot make a few ranges over many
// pages cost unbounded memory.
std::vector<std::string> LabelsFromRanges(const std::vector<LabelRange>& ranges, int pageCount);

// A prefix read from a file, cut to the length LabelsFromRanges keeps.
std::string BoundedLabelPrefix(const std::string& prefix);

}  // namespace vellumark::acrobat::detail

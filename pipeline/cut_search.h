#pragma once
// Finding where to cut a document by size: the longest leading run of pages
// whose saved file stays within the limit.
#include <functional>

namespace vellumark::pipeline {

enum class CutSearch {
  // The product's: a size a lower bound already puts over the limit is not
  // saved, a run found is looked for near where the bound points, and a
  // part file whose state was just measured is not saved again.
  kBisect,
  // The plain algorithm, kept to check the other against: one page at a
  // time, every size test a save, every part file saved anew.
  kLinear,
};

// What the search may ask about the run of the first k pages
// (1 <= k <= pageCount).
struct RunSizes {
  // Saves the run and returns the file's length.
  std::function<long long(int)> savedSize;
  // Cheap, without saving: a length the run's file is certain to reach at
  // least (0: nothing known). Never above savedSize(k), never falling as k
  // grows. May be empty.
  std::function<long long(int)> lowerBound;
};

// Returns the largest k whose saved size is at most `limit`, 0 when even the
// first page alone is over, pageCount when everything fits. The answer is
// the linear search's whenever sizes grow with k; either way it is a run
// that was measured and fits (or 0), and the run after it was measured or
// bounded over the limit (or is past the end).
int LongestFittingRun(int pageCount, long long limit, const RunSizes& sizes, CutSearch search);

// The same with saves only.
int LongestFittingRun(int pageCount, long long limit, const std::function<long long(int)>& savedSize,
                      CutSearch search);

}  // namespace vellumark::pipeline

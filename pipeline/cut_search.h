#pragma once
// Finding where to cut a document by size: the longest leading run of pages
// whose saved file stays within the limit.
#include <functional>

namespace vellumark::pipeline {

enum class CutSearch {
  kBisect,  // double the run until it is too big, then halve the gap
  kLinear,  // add one page at a time (kept to check the bisection against)
};

// `sizeOf(k)` saves the first k pages (1 <= k <= pageCount) and returns the
// file's length. Returns the largest k whose size is at most `limit`, 0 when
// even the first page alone is over, pageCount when everything fits. The
// answer is the linear search's whenever sizes grow with k; either way it is
// a run that was measured and fits (or 0).
int LongestFittingRun(int pageCount, long long limit, const std::function<long long(int)>& sizeOf,
                      CutSearch search);

}  // namespace vellumark::pipeline

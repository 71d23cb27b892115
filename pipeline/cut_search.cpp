#include "pipeline/cut_search.h"

#include <algorithm>

namespace vellumark::pipeline {

int LongestFittingRun(int pageCount, long long limit, const std::function<long long(int)>& sizeOf,
                      CutSearch search) {
  if (pageCount <= 0) return 0;
  if (search == CutSearch::kLinear) {
    for (int k = 1; k <= pageCount; ++k) {
      if (sizeOf(k) > limit) return k - 1;
    }
    return pageCount;
  }

  // Every save costs as much as the run it writes, so probing 1, 2, 4, ...
  // and then bisecting keeps the total near a few saves of the final run,
  // where adding one page at a time would save the run once per page.
  int fits = 0;  // longest run measured within the limit (0: none yet)
  int over = 0;  // shortest run measured over the limit (0: none yet)
  // Doubling: at most log2(pageCount) + 1 probes before k reaches pageCount.
  for (int k = 1; over == 0;) {
    if (sizeOf(k) > limit) {
      over = k;
    } else {
      fits = k;
      if (k == pageCount) return pageCount;
      k += std::min(k, pageCount - k);
    }
  }
  // Bisection: the gap halves each round, so at most log2(gap) probes.
  while (over - fits > 1) {
    const int middle = fits + (over - fits) / 2;
    if (sizeOf(middle) > limit) {
      over = middle;
    } else {
      fits = middle;
    }
  }
  return fits;
}

}  // namespace vellumark::pipeline

#include "pipeline/cut_search.h"

#include <algorithm>

namespace vellumark::pipeline {

namespace {

// What is known so far: the longest run measured within the limit (0: none)
// and the shortest run known over it (pageCount + 1: none).
struct Bracket {
  int fits = 0;
  int over = 0;
  bool open() const { return over - fits > 1; }
};

int LinearRun(int pageCount, long long limit, const RunSizes& sizes) {
  for (int k = 1; k <= pageCount; ++k) {
    if (sizes.savedSize(k) > limit) return k - 1;
  }
  return pageCount;
}

class Search {
 public:
  Search(int pageCount, long long limit, const RunSizes& sizes)
      : pageCount_(pageCount), limit_(limit), sizes_(sizes), known_{0, pageCount + 1} {}

  int Run() {
    if (sizes_.lowerBound) {
      const int top = BracketByBound();
      if (known_.over == 1) return 0;
      // Where the bound passes the limit within the document, or comes
      // near it for the whole document, the run ends close to where it
      // points. Otherwise the bound says too little, and the run is looked
      // for from the front.
      if (known_.over <= pageCount_ || 2 * sizes_.lowerBound(top) > limit_) return FromTheTop(top);
    }
    return FromTheFront();
  }

 private:
  // Saves the run; returns whether it fits. Only runs the bound leaves open
  // are ever probed: the search stays below the bracket's upper end.
  bool Probe(int k) {
    lastSize_ = sizes_.savedSize(k);
    if (lastSize_ > limit_) {
      known_.over = k;
      return false;
    }
    known_.fits = k;
    return true;
  }

  // The longest run the bound leaves open, found without a save: doubling
  // until the bound passes the limit (at most log2(pageCount) + 1 steps),
  // then halving the gap. Sets known_.over to the run after it.
  int BracketByBound() {
    int open = 0;
    for (int k = 1; known_.over > pageCount_ && open < pageCount_;) {
      if (sizes_.lowerBound(k) > limit_) {
        known_.over = k;
      } else {
        open = k;
        k += std::min(k, pageCount_ - k);
      }
    }
    while (known_.over <= pageCount_ && known_.over - open > 1) {
      const int middle = open + (known_.over - open) / 2;
      if (sizes_.lowerBound(middle) > limit_) {
        known_.over = middle;
      } else {
        open = middle;
      }
    }
    return open;
  }

  // The longest run the bound leaves open is measured first: where the
  // bound is close, it is the answer, and its file is the part to write.
  // Otherwise the bound, scaled by how far it fell short there, points at
  // the answer; the search gallops from that estimate and bisects.
  int FromTheTop(int top) {
    if (Probe(top) || !known_.open()) return known_.fits;
    const long long topBound = sizes_.lowerBound(top);
    int estimate = known_.fits + (known_.over - known_.fits) / 2;
    if (topBound > 0) estimate = LongestRunScaledWithin(static_cast<double>(lastSize_) / static_cast<double>(topBound));
    estimate = std::clamp(estimate, known_.fits + 1, known_.over - 1);
    // Galloping: the step doubles, so at most log2(pageCount) + 1 probes.
    if (Probe(estimate)) {
      for (int step = 1; known_.open(); step *= 2) {
        if (!Probe(std::min(estimate + step, known_.over - 1))) break;
      }
    } else {
      for (int step = 1; known_.open(); step *= 2) {
        if (Probe(std::max(estimate - step, known_.fits + 1))) break;
      }
    }
    return Bisect();
  }

  // The longest open run whose bound, times `scale`, stays within the limit
  // (known_.fits when none): bisection over the bound, no save.
  int LongestRunScaledWithin(double scale) const {
    int low = known_.fits;
    int high = known_.over;
    while (high - low > 1) {
      const int middle = low + (high - low) / 2;
      if (static_cast<double>(sizes_.lowerBound(middle)) * scale > static_cast<double>(limit_)) {
        high = middle;
      } else {
        low = middle;
      }
    }
    return low;
  }

  // Every save costs as much as the run it writes, so probing 1, 2, 4, ...
  // and then bisecting keeps the total near a few saves of the final run,
  // where adding one page at a time would save the run once per page.
  int FromTheFront() {
    // Doubling: at most log2(pageCount) + 1 probes before k reaches pageCount.
    for (int k = 1; known_.over > pageCount_;) {
      if (!Probe(k)) break;
      if (k == pageCount_) return pageCount_;
      k += std::min(k, pageCount_ - k);
    }
    return Bisect();
  }

  // The gap halves each round, so at most log2(gap) probes.
  int Bisect() {
    while (known_.open()) Probe(known_.fits + (known_.over - known_.fits) / 2);
    return known_.fits;
  }

  const int pageCount_;
  const long long limit_;
  const RunSizes& sizes_;
  Bracket known_;
  long long lastSize_ = 0;
};

}  // namespace

int LongestFittingRun(int pageCount, long long limit, const RunSizes& sizes, CutSearch search) {
  if (pageCount <= 0) return 0;
  if (search == CutSearch::kLinear) return LinearRun(pageCount, limit, sizes);
  return Search(pageCount, limit, sizes).Run();
}

int LongestFittingRun(int pageCount, long long limit, const std::function<long long(int)>& savedSize,
                      CutSearch search) {
  return LongestFittingRun(pageCount, limit, RunSizes{savedSize, {}}, search);
}

}  // namespace vellumark::pipeline

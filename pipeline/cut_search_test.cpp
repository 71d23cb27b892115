#include "pipeline/cut_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace vellumark::pipeline {
namespace {

// Cumulative sizes of runs 1..n from per-page sizes, as a save would measure.
struct Pages {
  std::vector<long long> sizes;
  long long overhead = 100;
  mutable int probes = 0;
  long long SizeOf(int run) const {
    ++probes;
    long long total = overhead;
    for (int i = 0; i < run; ++i) total += sizes[static_cast<std::size_t>(i)];
    return total;
  }
};

TEST(CutSearchTest, BisectionFindsTheLinearAnswerInLogarithmicProbes) {
  struct Case {
    const char* name;
    std::vector<long long> sizes;
    long long limit;
    int expected;
  };
  std::vector<long long> uneven;
  for (int i = 0; i < 500; ++i) uneven.push_back(100 + (i * 7919) % 900);
  const std::vector<Case> cases = {
      {"first page over", {2000, 10, 10}, 1000, 0},
      {"everything fits", {10, 10, 10}, 1000, 3},
      {"exactly at the limit fits", {300, 300, 300, 300}, 700, 2},
      {"one byte over", {300, 300, 301}, 1000, 2},
      {"single page fits", {500}, 1000, 1},
      {"cut just before the last page", std::vector<long long>(64, 10), 100 + 63 * 10, 63},
      {"long uneven run", uneven, 200000, -1},
      {"no pages", {}, 1000, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.sizes.size());
    Pages linearPages{c.sizes};
    Pages bisectPages{c.sizes};
    const int linear = LongestFittingRun(n, c.limit, [&](int k) { return linearPages.SizeOf(k); }, CutSearch::kLinear);
    const int bisect = LongestFittingRun(n, c.limit, [&](int k) { return bisectPages.SizeOf(k); }, CutSearch::kBisect);
    if (c.expected >= 0) {
      EXPECT_EQ(linear, c.expected);
    }
    EXPECT_EQ(bisect, linear);
    const int bound = 2 * static_cast<int>(std::ceil(std::log2(std::max(n, 1)))) + 2;
    EXPECT_LE(bisectPages.probes, bound);
  }
}

TEST(CutSearchTest, BisectionReturnsOnlyRunsItMeasuredWithinTheLimit) {
  // Sizes that do not grow with the run (a later page shares resources and
  // saves smaller): whatever the answer, it must have been measured and fit.
  const std::vector<long long> totals = {0, 400, 1200, 900, 1500, 800, 2000, 1100, 700};
  const long long limit = 1000;
  std::vector<int> measuredFits;
  const int run = LongestFittingRun(
      8, limit,
      [&](int k) {
        if (totals[static_cast<std::size_t>(k)] <= limit) measuredFits.push_back(k);
        return totals[static_cast<std::size_t>(k)];
      },
      CutSearch::kBisect);
  EXPECT_NE(std::find(measuredFits.begin(), measuredFits.end(), run), measuredFits.end()) << run;
}

}  // namespace
}  // namespace vellumark::pipeline

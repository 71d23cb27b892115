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

// The bound a real engine gives: the stored streams of the pages (a share of
// each page's size), never the overhead of the file.
TEST(CutSearchTest, LowerBoundSparesSavesButNotTheAnswer) {
  struct Case {
    const char* name;
    std::vector<long long> sizes;
    long long limit;
    int boundPercent;  // of each page's size
    int maxSaves;      // -1: only the general bound applies
  };
  std::vector<long long> uneven;
  for (int i = 0; i < 300; ++i) uneven.push_back(1000 + (i * 7919) % 9000);
  std::vector<long long> photos(700, 100000);
  for (std::size_t i = 0; i < photos.size(); i += 10) photos[i] = 2000;  // a text page now and then
  const std::vector<Case> cases = {
      // The bound knows nearly all: the run it leaves open is measured once.
      {"photo pages, bound 99 %", photos, 5033165, 99, 2},
      {"photo pages, exact bound", photos, 5033165, 100, 1},
      {"uneven pages, bound 90 %", uneven, 200000, 90, -1},
      {"uneven pages, bound 50 %", uneven, 200000, 50, -1},
      {"uneven pages, no bound", uneven, 200000, 0, -1},
      {"everything fits", {300, 300, 300}, 1000, 100, 1},
      {"everything fits, loose bound", {300, 300, 300}, 1000, 10, -1},
      {"first page over for certain", {2000, 10, 10}, 1000, 100, 0},
      {"first page over, bound short of it", {2000, 10, 10}, 1000, 10, -1},
      {"one heavy page in the middle", {100, 100, 5000, 100}, 1000, 90, 2},
      // The bound knows the pages, not the file's own overhead.
      {"cut just before the last page", std::vector<long long>(64, 10), 100 + 63 * 10, 100, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const int n = static_cast<int>(c.sizes.size());
    Pages linearPages{c.sizes};
    const int linear = LongestFittingRun(n, c.limit, [&](int k) { return linearPages.SizeOf(k); }, CutSearch::kLinear);

    Pages pages{c.sizes};
    std::vector<int> saved;
    RunSizes sizes;
    sizes.savedSize = [&](int k) {
      saved.push_back(k);
      return pages.SizeOf(k);
    };
    sizes.lowerBound = [&](int k) {
      long long bound = 0;
      for (int i = 0; i < k; ++i) bound += c.sizes[static_cast<std::size_t>(i)] * c.boundPercent / 100;
      return bound;
    };
    const int run = LongestFittingRun(n, c.limit, sizes, CutSearch::kBisect);

    EXPECT_EQ(run, linear);
    for (const int k : saved) EXPECT_LE(sizes.lowerBound(k), c.limit) << "saved run " << k << ", known over";
    if (c.maxSaves >= 0) {
      EXPECT_LE(static_cast<int>(saved.size()), c.maxSaves);
    }
    const int bound = 2 * static_cast<int>(std::ceil(std::log2(std::max(n, 1)))) + 3;
    EXPECT_LE(static_cast<int>(saved.size()), bound);
    // With a close bound the last save is the run found, whose file then
    // becomes the part.
    if (c.boundPercent >= 99 && run > 0) {
      ASSERT_FALSE(saved.empty());
      EXPECT_EQ(saved.back(), run);
    }
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

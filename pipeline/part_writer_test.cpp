// Splitting on the fake engine, where a page's saved size is the test's to
// choose: which pages each part gets, how parts are numbered, and that every
// loop ends and no page is lost.
#include <gtest/gtest.h>

#include <optional>

#include "pipeline/conversion.h"
#include "pipeline/part_writer.h"
#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/status_texts.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;

using testing::ContentsReport;
using testing::FakeJobTest;
using testing::ScannedPages;
using testing::Targets;
using testing::Titles;
using Parts = std::vector<std::vector<std::string>>;

std::vector<std::string> Labels(const std::string& prefix, int first, int last) {
  std::vector<std::string> labels;
  for (int i = first; i <= last; ++i) labels.push_back(prefix + std::to_string(i));
  return labels;
}

std::vector<std::string> Join(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The ways a split may run; each must give the same parts. The plain path
// saves at every size test and saves every part file anew; the product's
// path skips saves the lower bound answers and reuses measured files, with
// a bound that knows a save's size, a part of it, or nothing.
struct Mode {
  const char* name;
  CutSearch search;
  int lowerBoundPercent;
};
const std::vector<Mode> kModes = {
    {"plain", CutSearch::kLinear, 100},
    {"exact bound", CutSearch::kBisect, 100},
    {"partial bound", CutSearch::kBisect, 60},
    {"no bound", CutSearch::kBisect, 0},
};

class SplitTest : public FakeJobTest {
 protected:
  void UseMode(const Mode& mode) {
    conversion.SetCutSearch(mode.search);
    engine.lowerBoundPercent = mode.lowerBoundPercent;
  }

  // Every part file on disk is within the limit (the fake writes files of
  // exactly the saved size).
  void ExpectPartsWithinLimit(const fs::path& parent, long long limit) {
    for (int n = 1; fs::exists(PartPath(parent, n)); ++n) {
      EXPECT_LE(static_cast<long long>(fs::file_size(PartPath(parent, n))), limit) << "part " << n;
    }
  }

  std::vector<std::string> PageStatuses() const {
    std::vector<std::string> out;
    for (const auto& t : status.texts) {
      if (t.rfind(kStatusPagePrefix, 0) == 0) out.push_back(t);
    }
    return out;
  }
};

// Two front pages, chapters printed on pages 1, 11 and 21 of 30 body pages,
// ten body pages saving to about 0.6 of the limit.
TEST_F(SplitTest, TenPageChaptersBecomeThreeParts) {
  const long long bodyWeight = LimitFor("1") * 6 / 100;
  const fs::path parent = AddPdf(
      "報告書.pdf", ContentsReport({{"第1章総則", 1}, {"第2章設計", 11}, {"第3章施工", 21}}, 30, bodyWeight));

  struct Case {
    int forced;
    std::vector<std::vector<std::string>> titles;  // top-level bookmarks per part
    std::vector<std::vector<int>> targets;
    std::vector<std::vector<std::string>> files;   // the part file a bookmark opens, "" for its own
    int relinked;  // parts saved once more with their links put right
  };
  const std::vector<Case> cases = {
      // Each part bookmarks its own chapter at the part's own page; the cover
      // bookmark only in the first part.
      {0, {{"表紙", "第1章　総則"}, {"第2章　設計"}, {"第3章　施工"}}, {{0, 2}, {0}, {0}}, {{"", ""}, {""}, {""}}, 0},
      // Forced creation: the later chapters follow, each opening the part
      // that holds it at its first page. Part 001 was written taking chapter
      // 3 to lie in part 002, and is saved again once part 003 stands.
      {1,
       {{"表紙", "第1章　総則", "第2章　設計", "第3章　施工"}, {"第2章　設計", "第3章　施工"}, {"第3章　施工"}},
       {{0, 2, 0, 0}, {0, 0}, {0}},
       {{"", "", "報告書_002.PDF", "報告書_003.PDF"}, {"", "報告書_003.PDF"}, {""}},
       1},
  };
  for (const Mode& mode : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(mode.name) + ", Check2=" + std::to_string(c.forced));
      UseMode(mode);
      options.forceBookmarks = c.forced != 0;
      status.texts.clear();
      status.yields = 0;
      const int savesBefore = engine.saveCount();

      conversion.ConvertJob(JobOf(parent), options);

      EXPECT_EQ(PartLabels(parent), (Parts{Join({"cover", "contents"}, Labels("P", 1, 10)), Labels("P", 11, 20),
                                           Labels("P", 21, 30)}));
      if (std::string(mode.name) == "exact bound") {
        // The bound tells every overflow, and each part's one measuring save
        // becomes its part file.
        EXPECT_EQ(engine.saveCount() - savesBefore, 3 + c.relinked);
      }
      for (int n = 1; n <= 3; ++n) {
        const auto& part = engine.SavedAt(PartPath(parent, n));
        EXPECT_EQ(Titles(part.bookmarks), c.titles[n - 1]) << "part " << n;
        EXPECT_EQ(Targets(part.bookmarks), c.targets[n - 1]) << "part " << n;
        std::vector<std::string> files;
        for (const auto& bookmark : part.bookmarks) files.push_back(bookmark.remoteFile);
        EXPECT_EQ(files, c.files[n - 1]) << "part " << n;
      }
      EXPECT_EQ(PageStatuses(), (std::vector<std::string>{"P.1 : 第1章　総則", "P.11 : 第2章　設計",
                                                          "P.21 : 第3章　施工", "P.31 : EOF"}));
      EXPECT_EQ(status.yields, 4);
      ExpectPartsWithinLimit(parent, LimitFor("1"));
    }
  }
}

TEST_F(SplitTest, SplitUnitDecidesWherePartsMayStart) {
  // Body pages of 0.15 of the limit: six fit in a part, seven do not.
  const long long w = LimitFor("1") * 15 / 100;
  const fs::path parent = AddPdf(
      "報告書.pdf",
      ContentsReport({{"第1章総則", 1}, {"1.1目的", 4}, {"1.1.1範囲", 6}, {"第2章設計", 8}}, 10, w));
  struct Case {
    int unit;
    Parts parts;
  };
  const std::vector<Case> cases = {
      // Chapter 1 (pages 1-7) is too big for any part: it is cut by size.
      {0, {{"cover", "contents"}, Labels("P", 1, 6), {"P7"}, Labels("P", 8, 10)}},
      {1, {Join({"cover", "contents"}, Labels("P", 1, 3)), Labels("P", 4, 7), Labels("P", 8, 10)}},
      {2, {Join({"cover", "contents"}, Labels("P", 1, 5)), Labels("P", 6, 10)}},
      {3, {Join({"cover", "contents"}, Labels("P", 1, 6)), Labels("P", 7, 10)}},
  };
  for (const Mode& mode : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(mode.name) + ", unit " + std::to_string(c.unit));
      UseMode(mode);
      fs::remove_all(OutputPathFor(parent).parent_path());
      options.splitUnit = static_cast<SplitUnit>(c.unit);
      conversion.ConvertJob(JobOf(parent), options);
      EXPECT_EQ(PartLabels(parent), c.parts);
      EXPECT_EQ(OutputFiles(parent).size(), c.parts.size());
      ExpectPartsWithinLimit(parent, LimitFor("1"));
    }
  }
}

TEST_F(SplitTest, EveryCutEndsAndKeepsEveryPage) {
  // Weights in tenths of the limit; headings by page for the all-pages scan.
  struct Case {
    const char* name;
    std::vector<int> tenths;
    std::vector<std::string> headings;
    int unit;
    Parts parts;
    int warnings;
  };
  const std::vector<Case> cases = {
      // Even a document that fits from the start is written as part 001.
      {"everything fits, size only", {1, 1, 1}, {}, 3, {{"S1", "S2", "S3"}}, 0},
      {"page over the limit in the middle, size only", {3, 3, 20, 3, 3}, {}, 3,
       {{"S1", "S2"}, {"S3"}, {"S4", "S5"}}, 1},
      {"page over the limit first", {20, 3, 3}, {}, 3, {{"S1"}, {"S2", "S3"}}, 1},
      {"one page over the limit", {20}, {}, 3, {{"S1"}}, 1},
      {"page over the limit inside a chapter",
       {3, 3, 20, 3},
       {"第1章 総則", "", "", "第2章 設計"},
       0,
       {{"S1", "S2"}, {"S3"}, {"S4"}},
       1},
      // No chapter at all: the chapter unit falls back to the size split.
      {"no heading of the unit's level", {3, 3, 3, 3, 3, 3}, {"§ 概要", "", "", "", "§ 詳細", ""}, 0,
       {{"S1", "S2", "S3"}, {"S4", "S5", "S6"}}, 0},
      // The first range alone is too big and nothing stands before it: it is
      // cut on its own, without an empty part and without a gap.
      {"first range alone over the limit", {3, 3, 3, 3, 3, 3}, {"§ 概要", "", "", "", "§ 詳細", ""}, 1,
       {{"S1", "S2", "S3"}, {"S4"}, {"S5", "S6"}}, 0},
      // Part 001 is one page over the limit and links to the chapters of
      // parts 003 and 004, which are put right once those stand.
      {"page over the limit with links into later parts", {12, 3, 3, 3, 3, 3, 3},
       {"第1章 総則", "", "", "第2章 設計", "", "", "第3章 施工"}, 0,
       {{"S1"}, {"S2", "S3"}, {"S4", "S5", "S6"}, {"S7"}}, 1},
      // A cover without a heading goes into part 001, ahead of chapter 1.
      {"pages before the first heading", {3, 3, 3, 3, 3}, {"", "第1章 総則", "", "第2章 設計", ""}, 0,
       {{"S1", "S2", "S3"}, {"S4", "S5"}}, 0},
  };
  const long long limit = LimitFor("1");
  for (const Mode& mode : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(mode.name) + ", " + c.name);
      UseMode(mode);
      std::vector<std::string> headings = c.headings;
      headings.resize(c.tenths.size());
      auto pages = ScannedPages(headings, 0);
      for (std::size_t i = 0; i < pages.size(); ++i) pages[i].weight = limit * c.tenths[i] / 10;
      const fs::path parent = AddPdf("cut.pdf", pages);
      fs::remove_all(OutputPathFor(parent).parent_path());
      options.headingSource = HeadingSource::kAllPages;
      options.splitUnit = static_cast<SplitUnit>(c.unit);
      status.texts.clear();

      conversion.ConvertJob(JobOf(parent), options);

      EXPECT_EQ(PartLabels(parent), c.parts);
      EXPECT_EQ(OutputFiles(parent).size(), c.parts.size());
      EXPECT_EQ(status.CountStartingWith(kWarnPageOverLimit), c.warnings);
      // A part over the limit by a page of its own is not blamed on its links.
      EXPECT_EQ(status.CountStartingWith(kWarnLinksOverLimit), 0);
    }
  }
}

// The limit is a largest size, not a size to stay below: a part that saves
// to exactly the limit is written whole. The one chapter is measured when
// its pages join the part; the closing entry then asks again about the same
// part, and the measured size must give the same answer.
TEST_F(SplitTest, PartOfExactlyTheLimitStaysWhole) {
  const long long limit = LimitFor("1");
  struct Case {
    const char* name;
    long long overLimit;  // bytes the whole job saves to beyond the limit
    Parts parts;
  };
  const std::vector<Case> cases = {
      {"exactly the limit", 0, {{"S1", "S2", "S3"}}},
      {"one byte over", 1, {{"S1", "S2"}, {"S3"}}},
  };
  for (const Mode& mode : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(mode.name) + ", " + c.name);
      UseMode(mode);
      auto pages = ScannedPages({"第1章 総則", "", ""}, 0);
      const long long pageWeights = limit - testsupport::kSaveOverhead + c.overLimit;
      pages[0].weight = pageWeights / 3;
      pages[1].weight = pageWeights / 3;
      pages[2].weight = pageWeights - 2 * (pageWeights / 3);
      const fs::path parent = AddPdf("exact.pdf", pages);
      fs::remove_all(OutputPathFor(parent).parent_path());
      options.headingSource = HeadingSource::kAllPages;
      options.splitUnit = SplitUnit::kChapter;

      conversion.ConvertJob(JobOf(parent), options);

      EXPECT_EQ(PartLabels(parent), c.parts);
      EXPECT_TRUE(conversion.warnings().empty()) << conversion.warnings().front();
      ExpectPartsWithinLimit(parent, limit);
    }
  }
}

TEST_F(SplitTest, ContentsWithoutEndOrWithFallingPagesLosesNoPage) {
  const long long w = LimitFor("1") * 3 / 10;
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, int>> headings;
    bool endLine;
    long long frontWeight;
    Parts parts;
  };
  const std::vector<Case> cases = {
      // Printed pages 1, 4, 3, 7: the falling entry starts no part.
      {"falling page numbers",
       {{"第1章総則", 1}, {"第2章設計", 4}, {"第3章施工", 3}, {"第4章検査", 7}},
       true,
       1000,
       {Join({"cover", "contents"}, Labels("P", 1, 3)), Labels("P", 4, 6), Labels("P", 7, 9), {"P10"}}},
      // No "END": the contents end with the last page that gives entries,
      // so the chapters still start parts where they stand.
      {"no end line",
       {{"第1章総則", 1}, {"第2章設計", 4}},
       false,
       w,
       {{"cover", "contents"}, Labels("P", 1, 3), Labels("P", 4, 6), Labels("P", 7, 9), {"P10"}}},
  };
  for (const Mode& mode : kModes) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(mode.name) + ", " + c.name);
      UseMode(mode);
      auto pages = ContentsReport(c.headings, 10, w, c.frontWeight);
      if (!c.endLine) {
        auto& text = pages[1].text;
        text.erase(text.rfind("\rEND"));
      }
      const fs::path parent = AddPdf("目次.pdf", pages);
      fs::remove_all(OutputPathFor(parent).parent_path());

      conversion.ConvertJob(JobOf(parent), options);

      EXPECT_EQ(PartLabels(parent), c.parts);
      ExpectPartsWithinLimit(parent, LimitFor("1"));
    }
  }
}

TEST_F(SplitTest, BisectingCutFindsTheLinearCutWithFewerSaves) {
  const long long limit = LimitFor("1");
  struct Case {
    const char* name;
    std::vector<long long> weights;
    int fewerSavesFactor;  // bisection needs this many times fewer saves (0: not compared)
  };
  std::vector<long long> uneven;
  for (int i = 0; i < 60; ++i) uneven.push_back(limit / 100 + (i * 7919 % 13) * limit / 400);
  const std::vector<Case> cases = {
      {"even pages", std::vector<long long>(80, limit / 25), 2},
      {"uneven pages", uneven, 2},
      {"one heavy page among light ones", [&] {
         std::vector<long long> w(40, limit / 50);
         w[17] = limit * 3 / 2;
         return w;
       }(),
       1},
      {"pages just under the limit", std::vector<long long>(4, limit - 200), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<testsupport::FakePage> pages;
    for (std::size_t i = 0; i < c.weights.size(); ++i) {
      pages.push_back(testing::Page("S" + std::to_string(i + 1), "", c.weights[i]));
    }
    const fs::path parent = AddPdf("cut.pdf", pages);
    options.splitUnit = SplitUnit::kSizeOnly;

    Parts bySearch[2];
    int saves[2];
    for (int linear = 0; linear < 2; ++linear) {
      fs::remove_all(OutputPathFor(parent).parent_path());
      conversion.SetCutSearch(linear ? CutSearch::kLinear : CutSearch::kBisect);
      const int before = engine.saveCount();
      conversion.ConvertJob(JobOf(parent), options);
      saves[linear] = engine.saveCount() - before;
      bySearch[linear] = PartLabels(parent);
    }
    EXPECT_EQ(bySearch[0], bySearch[1]);
    EXPECT_EQ(Concatenated(bySearch[0]), LabelsOf(pages));
    EXPECT_GT(bySearch[0].size(), 1u);
    if (c.fewerSavesFactor > 0) {
      EXPECT_LT(saves[0] * c.fewerSavesFactor, saves[1]) << saves[0] << " vs " << saves[1];
    }
  }
}

// What the user reads of the bookmarks that lead outside the job, gathered
// over the parts of one job.
TEST(OutsideBookmarksTest, NamesEachTitleOnceAndCountsTheRest) {
  const std::string head = kWarnBookmarksOutsideJob;
  struct Case {
    const char* name;
    std::vector<std::vector<std::string>> perPart;  // outside titles each part's bookmarks met
    std::optional<std::string> warning;
  };
  const std::vector<Case> cases = {
      {"none", {{}, {}}, std::nullopt},
      // Forced creation repeats the later headings in every part.
      {"repeated in every part", {{"第8章", "第9章"}, {"第9章"}, {"第8章"}}, head + "「第8章」、「第9章」"},
      {"three named in full", {{"A", "B", "C"}}, head + "「A」、「B」、「C」"},
      {"the rest counted", {{"A", "B"}, {"C", "D", "B"}, {"E"}}, head + "「A」、「B」、「C」 ほか 2 件"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    OutsideBookmarks outside;
    for (const auto& titles : c.perPart) outside.Note(bookmarks::BuiltBookmarks{titles});
    EXPECT_EQ(outside.Warning(), c.warning);
  }
}

}  // namespace
}  // namespace vellumark::pipeline

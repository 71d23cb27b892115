// Whole jobs on the real engine and real files, every output read back with
// QPDF and poppler: the fixtures (a report with a contents page and two
// appendices) and a generated report large enough for several parts.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <iterator>
#include <numeric>
#include <optional>

#include "acrobat/real_engine.h"
#include "pipeline/conversion.h"
#include "pipeline/file_names.h"
#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/real_conversion_test.h"
#include "pipeline/real_pdf_test_helpers.h"
#include "platform/codepage.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testing::DataFile;
using testing::Flatten;
using testing::OutlineNode;
using testing::PageTexts;
using testing::ReadWrittenPdf;
using testing::RecordingSink;
using testing::Targets;
using testing::Titles;
using testsupport::ReadBytes;
using testsupport::TempFolder;
using testing::WriteNoiseReport;
using testing::WrittenPdf;

using EndToEndTest = testing::RealConversionTest;

// The fixtures' contents page lists three chapters; printed page 1 is the
// third page (cover and contents come first).
const std::vector<std::pair<int, std::string>> kFixtureOutline = {
    {0, "表紙"},           {0, "第1章　総則"},   {1, "1.1　目的"},     {1, "1.2　適用範囲"},
    {2, "1.2.1　対象工区"}, {0, "第2章　設計条件"}, {1, "2.1　地形"},     {1, "2.2　地質"},
    {0, "第3章　施工計画"}, {1, "3.1　工程"},       {1, "3.2　品質管理"},
};
const std::vector<int> kFixtureTargets = {0, 2, 2, 3, 3, 5, 5, 6, 7, 7, 8};

std::vector<std::pair<int, std::string>> DepthTitles(const std::vector<OutlineNode>& outline) {
  std::vector<std::pair<int, const OutlineNode*>> flat;
  Flatten(outline, 0, flat);
  std::vector<std::pair<int, std::string>> out;
  for (const auto& [depth, node] : flat) out.emplace_back(depth, node->title);
  return out;
}

std::vector<int> AllTargets(const std::vector<OutlineNode>& outline) {
  std::vector<std::pair<int, const OutlineNode*>> flat;
  Flatten(outline, 0, flat);
  std::vector<int> out;
  for (const auto& entry : flat) out.push_back(entry.second->targetPage);
  return out;
}

TEST_F(EndToEndTest, FixtureJobAsOneFileOpensAsDeliveredFilesMust) {
  const std::vector<fs::path> sources = {CopyFixture("report.pdf"), CopyFixture("appendix1.pdf"),
                                         CopyFixture("appendix2.pdf")};
  options.partSizeLimit.reset();
  conversion.ConvertJob(JobOf(sources), options);

  const fs::path output = OutputPathFor(sources[0]);
  const WrittenPdf written = ReadWrittenPdf(output);
  EXPECT_EQ(written.pageCount, 15);
  EXPECT_EQ(PageTexts(output), AllPageTexts(sources));
  // Only the tree built from the contents page: the appendix's own outline
  // and opening view are gone.
  EXPECT_EQ(DepthTitles(written.outline), kFixtureOutline);
  EXPECT_EQ(AllTargets(written.outline), kFixtureTargets);
  EXPECT_EQ(written.outline[1].javaScript, "this.pageNum=2;\r\nthis.zoom=100;\r\n");
  EXPECT_EQ(written.pageMode, "/UseOutlines");
  EXPECT_EQ(written.openPage, 0);
  EXPECT_EQ(written.openZoom, 1.0);
  EXPECT_EQ(written.pagesWithThumbnail, 15);
  EXPECT_EQ(Parts(sources[0]).size(), 0u);
}

TEST_F(EndToEndTest, FixtureJobFitsInPart001WhateverTheUnit) {
  const std::vector<fs::path> sources = {CopyFixture("report.pdf"), CopyFixture("appendix1.pdf"),
                                         CopyFixture("appendix2.pdf")};
  options.thumbnails = ThumbnailRange::kFirstPage;
  for (int unit = 0; unit <= 3; ++unit) {
    SCOPED_TRACE("unit " + std::to_string(unit));
    fs::remove_all(OutputPathFor(sources[0]).parent_path());
    options.splitUnit = static_cast<SplitUnit>(unit);
    conversion.ConvertJob(JobOf(sources), options);

    const auto parts = Parts(sources[0]);
    ASSERT_EQ(parts.size(), 1u);
    EXPECT_FALSE(fs::exists(OutputPathFor(sources[0])));
    const WrittenPdf written = ReadWrittenPdf(parts[0]);
    EXPECT_EQ(PageTexts(parts[0]), AllPageTexts(sources));
    EXPECT_EQ(DepthTitles(written.outline), kFixtureOutline);
    EXPECT_EQ(AllTargets(written.outline), kFixtureTargets);
    EXPECT_EQ(written.openPage, 0);
    EXPECT_EQ(written.pagesWithThumbnail, 1);
    EXPECT_TRUE(written.thumbnails[0]);
  }
}

// Fourteen pages of about 150 KB each: five fit in a 1 MB part, six do not.
// The headings are set with the ideographic space a Japanese report has.
const std::vector<std::string> kReportHeadings = {
    "第1章　総則", "1.1　目的", "1.2　範囲", "", "1.2.1　対象", "", "第2章　設計",
    "2.1　地形",   "",         "2.2　地質", "", "第3章　施工", "3.1　工程", "",
};
constexpr int kImageBytes = 150000;

using PageRanges = std::vector<std::pair<int, int>>;  // first, last page (1-based) per part

class LargeReportTest : public EndToEndTest {
 protected:
  LargeReportTest() {
    WriteNoiseReport(parent, kReportHeadings, kImageBytes);
    options.headingSource = HeadingSource::kAllPages;
    options.thumbnails = ThumbnailRange::kFirstPage;
    // Not forced: every bookmark of a part must then lead into the part.
    options.forceBookmarks = false;
  }

  PageRanges Ranges(const std::vector<fs::path>& parts) const {
    PageRanges ranges;
    int next = 1;
    for (const auto& part : parts) {
      const int count = ReadWrittenPdf(part).pageCount;
      ranges.emplace_back(next, next + count - 1);
      next += count;
    }
    return ranges;
  }

  // What every split must give: parts within the limit, every page once and
  // in order, and no bookmark leading out of its part.
  void ExpectSoundParts(const std::vector<fs::path>& parts, long long limit) {
    ASSERT_FALSE(parts.empty());
    EXPECT_EQ(AllPageTexts(parts), PageTexts(parent));
    for (const auto& part : parts) {
      SCOPED_TRACE(part.filename().string());
      EXPECT_LE(static_cast<long long>(fs::file_size(part)), limit);
      const WrittenPdf written = ReadWrittenPdf(part);
      std::vector<std::pair<int, const OutlineNode*>> flat;
      Flatten(written.outline, 0, flat);
      for (const auto& [depth, node] : flat) {
        // A heading in force that stands in an earlier part leads there.
        if (!node->remoteFile.empty()) {
          EXPECT_TRUE(fs::exists(part.parent_path() / platform::PathFromUtf8(node->remoteFile))) << node->title;
          continue;
        }
        EXPECT_GE(node->targetPage, 0) << node->title;
        EXPECT_LT(node->targetPage, written.pageCount) << node->title;
      }
      EXPECT_EQ(written.pageMode, "/UseOutlines");
      EXPECT_EQ(written.openPage, 0);
    }
  }

  static void ExpectPartsWithinLimit(const std::vector<fs::path>& parts, long long limit) {
    for (const auto& part : parts) {
      EXPECT_LE(static_cast<long long>(fs::file_size(part)), limit) << part.filename().string();
    }
  }

  // Every heading printed on a part's pages is bookmarked at its page there.
  void ExpectOwnHeadingsBookmarked(const std::vector<fs::path>& parts) {
    const PageRanges ranges = Ranges(parts);
    for (std::size_t p = 0; p < parts.size(); ++p) {
      std::vector<std::pair<int, const OutlineNode*>> flat;
      const WrittenPdf written = ReadWrittenPdf(parts[p]);
      Flatten(written.outline, 0, flat);
      for (int page = ranges[p].first; page <= ranges[p].second; ++page) {
        const std::string& heading = kReportHeadings[static_cast<std::size_t>(page - 1)];
        if (heading.empty()) continue;
        const bool found = std::any_of(flat.begin(), flat.end(), [&](const auto& entry) {
          return entry.second->title == heading && entry.second->targetPage == page - ranges[p].first;
        });
        EXPECT_TRUE(found) << heading << " in part " << p + 1;
      }
      EXPECT_EQ(!written.outline.empty() && written.outline[0].title == "表紙", p == 0) << "part " << p + 1;
    }
  }

  fs::path parent = docs / platform::PathFromUtf8("大型報告書.pdf");
};

TEST_F(LargeReportTest, EachUnitCutsAtItsOwnHeadings) {
  struct Case {
    int unit;
    PageRanges ranges;
  };
  const std::vector<Case> cases = {
      // Chapter 1 (pages 1-6) alone is too big: it is cut by size.
      {0, {{1, 5}, {6, 6}, {7, 11}, {12, 14}}},
      {1, {{1, 2}, {3, 7}, {8, 12}, {13, 14}}},
      {2, {{1, 4}, {5, 9}, {10, 14}}},
      {3, {{1, 5}, {6, 10}, {11, 14}}},
  };
  const long long limit = SizeLimitFromText("1");
  for (const Case& c : cases) {
    SCOPED_TRACE("unit " + std::to_string(c.unit));
    fs::remove_all(OutputPathFor(parent).parent_path());
    options.splitUnit = static_cast<SplitUnit>(c.unit);
    conversion.ConvertJob(JobOf({parent}), options);

    const auto parts = Parts(parent);
    EXPECT_EQ(Ranges(parts), c.ranges);
    ExpectSoundParts(parts, limit);
    ExpectOwnHeadingsBookmarked(parts);
  }
}

TEST_F(LargeReportTest, ForcedCreationLinksTheLaterHeadingsIntoTheirParts) {
  options.forceBookmarks = true;
  options.splitUnit = SplitUnit::kSizeOnly;
  conversion.ConvertJob(JobOf({parent}), options);
  const auto parts = Parts(parent);
  ASSERT_EQ(Ranges(parts), (PageRanges{{1, 5}, {6, 10}, {11, 14}}));
  ExpectPartsWithinLimit(parts, SizeLimitFromText("1"));

  // Part 001 lists the later chapters; each opens the part file that holds
  // it, named without a folder, at its page there, at 100 %, in place.
  const WrittenPdf first = ReadWrittenPdf(parts[0]);
  ASSERT_EQ(Titles(first.outline),
            (std::vector<std::string>{"表紙", "第1章　総則", "第2章　設計", "第3章　施工"}));
  struct Link {
    const OutlineNode& node;
    std::string file;
    int page;  // 0-based in that file
  };
  const OutlineNode& chapter3 = first.outline[3];
  ASSERT_EQ(Titles(chapter3.children), (std::vector<std::string>{"3.1　工程"}));
  const std::vector<Link> links = {
      {first.outline[2], "大型報告書_002.PDF", 1},
      {first.outline[2].children.at(0), "大型報告書_002.PDF", 2},
      {chapter3, "大型報告書_003.PDF", 1},
      {chapter3.children[0], "大型報告書_003.PDF", 2},
  };
  for (const Link& link : links) {
    SCOPED_TRACE(link.node.title);
    EXPECT_EQ(link.node.remoteFile, link.file);
    EXPECT_EQ(link.node.remoteFileBytes, platform::Utf8ToCp932(link.file));
    EXPECT_EQ(link.node.remotePage, link.page);
    EXPECT_EQ(link.node.remoteView, "/XYZ null null 1");
    EXPECT_FALSE(link.node.newWindow);
    // A local jump or a script would move within part 001.
    EXPECT_EQ(link.node.targetPage, -1);
    EXPECT_EQ(link.node.javaScript, "");
  }
  // The page a link opens really is the heading's page: part 003 as a reader
  // shows it, read with poppler (whose plain text gives the ideographic
  // space as a space).
  const auto third = PageTexts(parts[2]);
  ASSERT_GT(third.size(), 2U);
  EXPECT_NE(third[1].find("第3章 施工"), std::string::npos);
  EXPECT_NE(third[2].find("3.1 工程"), std::string::npos);

  // The second part begins inside chapter 1, which opens part 001 at its
  // page; then chapter 2 at its own page, chapter 3 in part 003.
  const WrittenPdf second = ReadWrittenPdf(parts[1]);
  ASSERT_EQ(Titles(second.outline), (std::vector<std::string>{"第1章　総則", "第2章　設計", "第3章　施工"}));
  EXPECT_EQ(second.outline[0].remoteFile, "大型報告書_001.PDF");
  EXPECT_EQ(second.outline[0].remotePage, 0);
  EXPECT_EQ(Titles(second.outline[0].children), (std::vector<std::string>{"1.2　範囲"}));
  EXPECT_EQ(second.outline[1].targetPage, 1);
  EXPECT_EQ(second.outline[1].remoteFile, "");
  EXPECT_EQ(second.outline[2].remoteFile, "大型報告書_003.PDF");
  EXPECT_EQ(second.outline[2].remotePage, 1);
}

TEST_F(LargeReportTest, FullOutlinePutsTheWholeTreeIntoEveryPart) {
  options.forceBookmarks = true;
  options.splitUnit = SplitUnit::kSizeOnly;
  options.fullOutline = true;
  conversion.ConvertJob(JobOf({parent}), options);
  const auto parts = Parts(parent);
  ASSERT_EQ(Ranges(parts), (PageRanges{{1, 5}, {6, 10}, {11, 14}}));
  ExpectPartsWithinLimit(parts, SizeLimitFromText("1"));
  const PageRanges ranges = Ranges(parts);
  for (std::size_t p = 0; p < parts.size(); ++p) {
    SCOPED_TRACE("part " + std::to_string(p + 1));
    const WrittenPdf written = ReadWrittenPdf(parts[p]);
    std::vector<std::pair<int, const OutlineNode*>> flat;
    Flatten(written.outline, 0, flat);
    std::vector<std::string> titles;
    for (const auto& entry : flat) titles.push_back(entry.second->title);
    // 表紙 and every heading of the report, in order.
    std::vector<std::string> expected{"表紙"};
    for (const auto& heading : kReportHeadings) {
      if (!heading.empty()) expected.push_back(heading);
    }
    EXPECT_EQ(titles, expected);
    for (const auto& [depth, node] : flat) {
      // The page of the heading in the whole report (the cover is page 1).
      const auto at = std::find(kReportHeadings.begin(), kReportHeadings.end(), node->title);
      const int page = node->title == "表紙" ? 1 : static_cast<int>(at - kReportHeadings.begin()) + 1;
      std::size_t holder = 0;
      while (page > ranges[holder].second) ++holder;
      if (holder == p) {
        EXPECT_EQ(node->targetPage, page - ranges[holder].first) << node->title;
        EXPECT_EQ(node->remoteFile, "") << node->title;
      } else {
        EXPECT_EQ(node->remoteFile, platform::PathToUtf8(parts[holder].filename())) << node->title;
        EXPECT_EQ(node->remotePage, page - ranges[holder].first) << node->title;
      }
    }
  }
}

TEST_F(LargeReportTest, PartsCarryOnlyTheirOwnImages) {
  options.partSizeLimit.reset();
  conversion.ConvertJob(JobOf({parent}), options);
  const auto whole = static_cast<long long>(fs::file_size(OutputPathFor(parent)));

  for (const bool shared : {false, true}) {
    SCOPED_TRACE(shared ? "one resource dictionary for all pages" : "resources per page");
    WriteNoiseReport(parent, kReportHeadings, kImageBytes, shared);
    fs::remove_all(OutputPathFor(parent).parent_path());
    options.partSizeLimit = SizeLimitFromText("1");
    options.splitUnit = SplitUnit::kSizeOnly;
    conversion.ConvertJob(JobOf({parent}), options);

    const auto parts = Parts(parent);
    EXPECT_EQ(Ranges(parts), (PageRanges{{1, 5}, {6, 10}, {11, 14}}));
    ExpectSoundParts(parts, SizeLimitFromText("1"));
    long long sum = 0;
    for (const auto& part : parts) sum += static_cast<long long>(fs::file_size(part));
    // Each part repeats only the small things every file has (font, page
    // tree, document information), never another part's images.
    EXPECT_LT(sum, whole + 30000 * static_cast<long long>(parts.size())) << sum << " vs " << whole;
  }
}

// Whether `folder` is a folder on another file system than `output`.
bool OnAnotherFileSystem(const fs::path& folder, const fs::path& output) {
  std::error_code ec;
  struct stat a {}, b {};
  return fs::is_directory(folder, ec) && ::stat(folder.c_str(), &a) == 0 && ::stat(output.c_str(), &b) == 0 &&
         a.st_dev != b.st_dev;
}

// The product's path (sizes the lower bound answers are not saved, the run
// searched near where the bound points, measured files become part files)
// against the plain one (every size test a save, one page at a time, every
// part saved anew): the same part files, byte for byte.
TEST_F(LargeReportTest, FastAndPlainPathsWriteTheSameParts) {
  // A working folder on another file system than the output, where one can
  // be had: a measured file then reaches its place by copy, not by rename.
  std::optional<TempFolder> elsewhere;
  if (OnAnotherFileSystem("/dev/shm", docs)) elsewhere.emplace("/dev/shm");
  // The outputs carry the conversion's date; one date for every run.
  const auto fixedClock = [] { return acrobat::LocalDateTime{2026, 12, 7, 9, 30, 0, 540}; };
  conversion.SetClock(fixedClock);
  for (const int unit : {0, 3}) {
    for (const char* size : {"1", "2"}) {
      SCOPED_TRACE("unit " + std::to_string(unit) + ", " + size + " MB");
      options.splitUnit = static_cast<SplitUnit>(unit);
      options.partSizeLimit = SizeLimitFromText(size);
      struct Run {
        std::vector<std::string> bytes;
        PageRanges ranges;
        int measuringSaves = 0;
      };
      const auto convert = [&](Conversion& with, CutSearch search) {
        fs::remove_all(OutputPathFor(parent).parent_path());
        with.SetCutSearch(search);
        status.texts.clear();
        with.ConvertJob(JobOf({parent}), options);
        Run run;
        const auto parts = Parts(parent);
        ExpectSoundParts(parts, SizeLimitFromText(size));
        for (const auto& part : parts) run.bytes.push_back(ReadBytes(part));
        run.ranges = Ranges(parts);
        // One "<part> ; <KB>" status per measuring save of the size cut.
        run.measuringSaves = status.CountContaining(" ; ");
        // Nothing but the part files: no copy left half-way.
        EXPECT_EQ(static_cast<std::size_t>(std::distance(fs::directory_iterator(OutputPathFor(parent).parent_path()),
                                                         fs::directory_iterator())),
                  parts.size());
        return run;
      };
      const Run plain = convert(conversion, CutSearch::kLinear);
      const Run fast = convert(conversion, CutSearch::kBisect);
      EXPECT_GT(plain.ranges.size(), 1u);
      EXPECT_EQ(fast.ranges, plain.ranges);
      EXPECT_TRUE(fast.bytes == plain.bytes) << "part files differ";
      EXPECT_LE(fast.measuringSaves, plain.measuringSaves);
      if (plain.measuringSaves > 0) {
        EXPECT_LT(fast.measuringSaves, plain.measuringSaves);
      }
      if (elsewhere) {
        SCOPED_TRACE("working folder on another file system");
        Conversion away{*engine, MakeWorkingFiles(temp.path() / "app", elsewhere->path()), status};
        away.SetClock(fixedClock);
        const Run moved = convert(away, CutSearch::kBisect);
        EXPECT_TRUE(moved.bytes == plain.bytes) << "part files differ";
      }
    }
  }
}

TEST_F(LargeReportTest, RerunLeavesTheEarlierPartsAsBackups) {
  options.splitUnit = SplitUnit::kSizeOnly;
  conversion.ConvertJob(JobOf({parent}), options);
  conversion.ConvertJob(JobOf({parent}), options);
  for (const auto& part : Parts(parent)) {
    std::string backup = platform::PathToUtf8(part);
    backup.replace(backup.size() - 3, 3, "bak");
    EXPECT_TRUE(fs::exists(platform::PathFromUtf8(backup))) << backup;
    EXPECT_EQ(PageTexts(platform::PathFromUtf8(backup)), PageTexts(part));
  }
  EXPECT_EQ(Parts(parent).size(), 3u);
}

}  // namespace
}  // namespace vellumark::pipeline

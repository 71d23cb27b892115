// What the end of a batch tells the user, and the page progress a long job
// reports on the way.
#include "pipeline/batch_summary.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "joblist/job_list.h"
#include "pipeline/pipeline_test_helpers.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;

using testing::FakeJobTest;
using testing::ScannedPages;

using BatchSummaryTest = FakeJobTest;

TEST_F(BatchSummaryTest, NamesTheCountEachOutputFolderOnceAndTheWarnings) {
  // Two jobs in one folder, one in another; the photo album has a page that
  // alone is over the 1 MB limit.
  const fs::path first = AddPdf("一.pdf", ScannedPages({"第1章 総則", ""}, 1000));
  const fs::path second = AddPdf("二.pdf", ScannedPages({"第1章 総則", ""}, 1000));
  const fs::path album = AddPdf("写真/写真.pdf", {testing::Page("A", "第1章 写真", 100'000), testing::Page("B", "", 2'000'000),
                                                testing::Page("C", "", 100'000)});
  joblist::JobListModel list;
  list.SetJobs({JobLine(first), JobLine(album), JobLine(second)});
  options.splitUnit = SplitUnit::kSizeOnly;
  options.headingSource = HeadingSource::kAllPages;

  const BatchResult result = RunBatch(list, options, conversion, files);

  ASSERT_FALSE(result.failure.has_value());
  const fs::path docsOutput = docs / platform::PathFromUtf8("変換済み");
  const fs::path albumOutput = docs / platform::PathFromUtf8("写真/変換済み");
  EXPECT_EQ(result.outputFolders, (std::vector<fs::path>{docsOutput, albumOutput}));
  ASSERT_EQ(result.warnings.size(), 1u);
  EXPECT_EQ(BatchSummaryText(result), "3 件のジョブを変換しました。\n"
                                      "出力先:\n"
                                      "  " + platform::PathToUtf8(docsOutput) + "\n"
                                      "  " + platform::PathToUtf8(albumOutput) + "\n"
                                      "警告があります:\n"
                                      "  " + result.warnings[0]);
}

TEST_F(BatchSummaryTest, WithoutWarningsItEndsAtTheFolders) {
  const fs::path parent = AddPdf("報告書.pdf", ScannedPages({"第1章 総則"}, 1000));
  BatchResult result;
  AddConvertedJob(result, JobOf(parent), {});
  EXPECT_EQ(BatchSummaryText(result), "1 件のジョブを変換しました。\n出力先:\n  " +
                                          platform::PathToUtf8(docs / platform::PathFromUtf8("変換済み")));
}

// Thumbnails and the heading scan both count the pages done up to their
// total, and every page gets its thumbnail once.
TEST_F(BatchSummaryTest, ThumbnailsAndTheHeadingScanReportPagesDone) {
  struct Case {
    int pages;
    int fullThumbnail;
    int thumbnailTotal;
  };
  for (const Case c : {Case{70, 0, 70}, Case{5, 0, 5}, Case{40, 1, 1}}) {
    SCOPED_TRACE(c.pages);
    std::vector<std::string> texts(static_cast<std::size_t>(c.pages), "");
    texts[0] = "第1章 総則";
    const fs::path parent = AddPdf("長い" + std::to_string(c.pages) + ".pdf", ScannedPages(texts, 1000));
    options.headingSource = HeadingSource::kAllPages;
    options.partSizeLimit.reset();
    options.thumbnails = c.fullThumbnail == 1 ? ThumbnailRange::kFirstPage : ThumbnailRange::kAllPages;
    status.progress.clear();
    const int rendered = engine.thumbPagesRendered();

    conversion.ConvertJob(JobOf(parent), options);

    EXPECT_EQ(engine.thumbPagesRendered() - rendered, c.thumbnailTotal);
    // Two phases: the thumbnails, from 0 up to their total, then the scan.
    const auto end = std::find(status.progress.begin(), status.progress.end(),
                               std::make_pair(c.thumbnailTotal, c.thumbnailTotal));
    ASSERT_NE(end, status.progress.end());
    const std::vector<std::pair<int, int>> thumbnails(status.progress.begin(), end + 1);
    const std::vector<std::pair<int, int>> scan(end + 1, status.progress.end());
    EXPECT_TRUE(std::is_sorted(thumbnails.begin(), thumbnails.end()));
    EXPECT_EQ(thumbnails.front(), std::make_pair(0, c.thumbnailTotal));
    // Page by page, not only nothing and all.
    EXPECT_EQ(thumbnails.size(), static_cast<std::size_t>(c.thumbnailTotal) + 1);
    ASSERT_EQ(scan.size(), static_cast<std::size_t>(c.pages));
    for (int i = 0; i < c.pages; ++i) EXPECT_EQ(scan[static_cast<std::size_t>(i)], std::make_pair(i + 1, c.pages));
  }
}

}  // namespace
}  // namespace vellumark::pipeline

// The per-job driver on the fake engine: what one job writes, in which order
// it reports, and what a failing job leaves behind.
#include "pipeline/conversion.h"

#include <gtest/gtest.h>

#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/status_texts.h"
#include "platform/error.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;

using testing::ContentsReport;
using testing::FakeJobTest;
using testing::Page;
using testing::ScannedPages;
using testing::Targets;
using testing::Titles;

class ConversionTest : public FakeJobTest {
 protected:
  std::vector<std::string> WorkingPdfs() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(files.workFolder)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
};

TEST_F(ConversionTest, OneFileJobWritesEveryPageWithBookmarksAndOpeningView) {
  const fs::path parent =
      AddPdf("報告書.pdf", ContentsReport({{"第1章総則", 1}, {"1.1目的", 2}, {"第2章設計", 3}}, 4, 2000));
  const fs::path child = AddPdf("付録.pdf", ScannedPages({"付録A", "付録B"}, 2000));
  options.partSizeLimit.reset();

  conversion.ConvertJob(JobOf(parent, {child}), options);

  const auto& saved = engine.SavedAt(OutputPathFor(parent));
  EXPECT_EQ(saved.labels(), (std::vector<std::string>{"cover", "contents", "P1", "P2", "P3", "P4", "S1", "S2"}));
  EXPECT_EQ(Titles(saved.bookmarks), (std::vector<std::string>{"表紙", "第1章　総則", "第2章　設計"}));
  // Printed page 1 follows the two front pages.
  EXPECT_EQ(Targets(saved.bookmarks), (std::vector<int>{0, 2, 4}));
  ASSERT_EQ(saved.bookmarks[1].children.size(), 1u);
  EXPECT_EQ(saved.bookmarks[1].children[0].title, "1.1　目的");
  EXPECT_EQ(saved.bookmarks[1].children[0].targetPage, 3);
  ASSERT_TRUE(saved.openingView.has_value());
  EXPECT_EQ(saved.openingView->page, 0);
  EXPECT_EQ(saved.openingView->zoomPercent, 100);
  EXPECT_TRUE(saved.openingView->bookmarksPane);
  // One file, no parts, and nothing left in the working folder.
  EXPECT_EQ(OutputFiles(parent), (std::vector<std::string>{"報告書.pdf"}));
  EXPECT_TRUE(WorkingPdfs().empty());
  EXPECT_EQ(conversion.headings().size(), 3u);
}

TEST_F(ConversionTest, WithoutAContentsPageTheHeadingsComeFromThePagesAndTheUserHears) {
  struct Case {
    const char* name;
    std::vector<std::string> headingsByPage;
    std::vector<std::string> titles;
    std::vector<std::string> warnings;
  };
  const std::vector<Case> cases = {
      {"headings on the pages", {"", "第1章 総則", "1.1 目的"}, {"表紙", "第1章 総則"}, {kWarnContentsNotFound}},
      // Not even a heading: the cover bookmark all the same.
      {"no heading at all", {"", "", ""}, {"表紙"}, {kWarnContentsNotFound, kWarnNoHeadings}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path parent = AddPdf("写真帳.pdf", ScannedPages(c.headingsByPage, 2000));
    options.partSizeLimit.reset();
    conversion.ConvertJob(JobOf(parent, {}), options);
    const auto& saved = engine.SavedAt(OutputPathFor(parent));
    EXPECT_EQ(Titles(saved.bookmarks), c.titles);
    EXPECT_EQ(conversion.warnings(), c.warnings);
  }
}

TEST_F(ConversionTest, StatusTextsOfOneJobComeInTheDriversOrder) {
  const fs::path parent = AddPdf("報告書.pdf", ScannedPages({"第1章 総則", "", "第2章 設計"}, 1000));
  const fs::path child = AddPdf("付録.pdf", ScannedPages({""}, 1000));
  options.partSizeLimit.reset();
  options.headingSource = HeadingSource::kAllPages;

  conversion.ConvertJob(JobOf(parent, {child}), options);

  EXPECT_EQ(status.PipelineTexts(),
            (std::vector<std::string>{"wait", "Open file", "報告書.pdf", "付録.pdf", "Set Zoom 100%",
                                      "Delete Thumbnail's", "Make Thumbnail's", "Load bookmark", "Save", "Save",
                                      "Comp!"}));
  // The scan ran (it reports every page), the contents reading did not.
  EXPECT_EQ(status.CountStartingWith("Get Bookmark "), 4);
  EXPECT_EQ(status.CountStartingWith("Load bookmark : "), 0);
}

TEST_F(ConversionTest, ThumbnailOptionsChooseDeletionAndRange) {
  struct Case {
    int check1;
    int fullThumbnail;
    std::vector<bool> thumbs;  // per output page
    bool deleteShown;
  };
  // The source pages come with old thumbnails.
  const std::vector<Case> cases = {
      {1, 0, {true, true, true}, true},
      {1, 1, {true, false, false}, true},
      {0, 0, {true, true, true}, false},
      {0, 1, {true, true, true}, false},  // old ones stay, only page 1 is made anew
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("Check1=" + std::to_string(c.check1) + " fullThumbnail=" + std::to_string(c.fullThumbnail));
    auto pages = ScannedPages({"", "", ""}, 1000);
    for (auto& p : pages) p.thumb = true;
    const fs::path parent = AddPdf("thumbs.pdf", pages);
    options.partSizeLimit.reset();
    options.deleteThumbnailsFirst = c.check1 == 1;
    options.thumbnails = c.fullThumbnail == 1 ? ThumbnailRange::kFirstPage : ThumbnailRange::kAllPages;
    status.texts.clear();
    const int rendered = engine.thumbPagesRendered();

    conversion.ConvertJob(JobOf(parent), options);

    std::vector<bool> thumbs;
    for (const auto& p : engine.SavedAt(OutputPathFor(parent)).pages) thumbs.push_back(p.thumb);
    EXPECT_EQ(thumbs, c.thumbs);
    EXPECT_EQ(status.CountStartingWith("Delete Thumbnail's"), c.deleteShown ? 1 : 0);
    EXPECT_EQ(engine.thumbPagesRendered() - rendered, c.fullThumbnail == 1 ? 1 : 3);
  }
}

TEST_F(ConversionTest, FailingJobNamesTheFileAndLeavesTheWorkingFolderEmpty) {
  const fs::path parent = AddPdf("報告書.pdf", ScannedPages({"第1章 総則", ""}, 1000));
  const fs::path missing = docs / platform::PathFromUtf8("ない付録.pdf");

  try {
    conversion.ConvertJob(JobOf(parent, {missing}), options);
    FAIL() << "a missing child must fail the job";
  } catch (const platform::UserError& error) {
    EXPECT_EQ(error.file(), missing);
  }
  EXPECT_TRUE(WorkingPdfs().empty());
  EXPECT_TRUE(OutputFiles(parent).empty());
  EXPECT_EQ(status.CountStartingWith("Comp!"), 0);

  // The next job starts clean: nothing of the failed one carries over.
  conversion.ConvertJob(JobOf(parent), options);
  EXPECT_EQ(PartLabels(parent), (std::vector<std::vector<std::string>>{{"S1", "S2"}}));
}

}  // namespace
}  // namespace vellumark::pipeline

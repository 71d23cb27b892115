// The one mapping from the settings record to the conversion options: how
// each stored code reads, including the values no control sets, and that
// what it decides is what a conversion does.
#include "settings/conversion_options.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "pipeline/pipeline_test_helpers.h"
#include "platform/error.h"

namespace vellumark::settings {
namespace {

namespace fs = std::filesystem;
using pipeline::HeadingSource;
using pipeline::SplitUnit;
using pipeline::ThumbnailRange;

TEST(OptionsFromSettings, EachCodeReadsAsTheProductAlwaysReadIt) {
  // 2 is a checkbox's greyed third state. The two boxes read it in opposite
  // ways, and a stored file may hold it, so the rule is pinned here.
  const struct {
    std::int16_t code;
    bool deleteThumbnailsFirst;  // Check1: only a plain tick deletes
    bool forceBookmarks;         // Check2: only an empty box stops forcing
    ThumbnailRange thumbnails;   // fullThumbnail: only 1 is the first page
    HeadingSource headingSource; // makeBM2mokuji: anything but 0 scans
    SplitUnit splitUnit;         // OpSplit: a unit without a button is chapters
  } cases[] = {
      {0, false, false, ThumbnailRange::kAllPages, HeadingSource::kContentsPage, SplitUnit::kChapter},
      {1, true, true, ThumbnailRange::kFirstPage, HeadingSource::kAllPages, SplitUnit::kSection},
      {2, false, true, ThumbnailRange::kAllPages, HeadingSource::kAllPages, SplitUnit::kAllHeadings},
      {3, false, true, ThumbnailRange::kAllPages, HeadingSource::kAllPages, SplitUnit::kSizeOnly},
      {-1, false, true, ThumbnailRange::kAllPages, HeadingSource::kAllPages, SplitUnit::kChapter},
      {7, false, true, ThumbnailRange::kAllPages, HeadingSource::kAllPages, SplitUnit::kChapter},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.code);
    SettingsRecord record;
    record.Check1 = record.Check2 = record.fullThumbnail = record.makeBM2mokuji = record.OpSplit = c.code;
    const pipeline::ConversionOptions options = OptionsFromSettings(record);
    EXPECT_EQ(options.deleteThumbnailsFirst, c.deleteThumbnailsFirst);
    EXPECT_EQ(options.forceBookmarks, c.forceBookmarks);
    EXPECT_EQ(options.thumbnails, c.thumbnails);
    EXPECT_EQ(options.headingSource, c.headingSource);
    EXPECT_EQ(options.splitUnit, c.splitUnit);
  }
}

TEST(OptionsFromSettings, InitialRecordGivesTheInitialOptions) {
  const pipeline::ConversionOptions options = OptionsFromSettings(SettingsRecord{});
  const pipeline::ConversionOptions initial;
  EXPECT_EQ(options.partSizeLimit, initial.partSizeLimit);
  EXPECT_EQ(options.partSizeLimit, pipeline::SizeLimitFromText("1"));
  EXPECT_EQ(options.deleteThumbnailsFirst, initial.deleteThumbnailsFirst);
  EXPECT_EQ(options.forceBookmarks, initial.forceBookmarks);
  EXPECT_EQ(options.delimiter, initial.delimiter);
}

TEST(OptionsFromSettings, SizeTextMattersOnlyWhenSplitting) {
  const struct {
    std::int16_t opSave;
    std::string sizeText;
    std::optional<std::int32_t> limit;  // nullopt: one file
    bool fails;
  } cases[] = {
      // One file: the size box is greyed out, whatever it holds is not used.
      {1, "", std::nullopt, false},
      {1, "0", std::nullopt, false},
      {-3, "abc", std::nullopt, false},
      {0, "1", 838'861, false},
      {0, "2048", 2'147'273'933, false},
      // Split: a size no part can be cut to cannot run.
      {0, "", std::nullopt, true},
      {0, "0", std::nullopt, true},
      {0, "2049", std::nullopt, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.opSave) + " [" + c.sizeText + "]");
    SettingsRecord record;
    record.OpSave = c.opSave;
    if (c.fails) {
      EXPECT_THROW(OptionsFromSettings(record, c.sizeText), platform::UserError);
    } else {
      EXPECT_EQ(OptionsFromSettings(record, c.sizeText).partSizeLimit, c.limit);
    }
  }
}

// The greyed state reaches the document: a conversion run with the mapped
// options keeps or replaces the thumbnails the source file brings.
class GreyedCheckboxTest : public pipeline::testing::FakeJobTest {};

TEST_F(GreyedCheckboxTest, GreyedThumbnailBoxKeepsOldThumbnailsAndGreyedForcingMakesBookmarksPastTheEnd) {
  const struct {
    std::int16_t check1, check2;
    std::vector<bool> thumbs;  // per output page; only page 1 is made anew
    std::vector<std::string> titles;
  } cases[] = {
      {1, 1, {true, false, false, false}, {"表紙", "第1章　総則", "第9章　付録"}},
      {2, 2, {true, true, true, true}, {"表紙", "第1章　総則", "第9章　付録"}},
      {0, 0, {true, true, true, true}, {"表紙", "第1章　総則"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("Check1=" + std::to_string(c.check1) + " Check2=" + std::to_string(c.check2));
    // Chapter 9 is printed past the last page: only forcing bookmarks it.
    auto pages = pipeline::testing::ContentsReport({{"第1章総則", 1}, {"第9章付録", 40}}, 2, 1000);
    for (auto& page : pages) page.thumb = true;
    const fs::path parent = AddPdf("thumbs.pdf", pages);
    SettingsRecord record;
    record.OpSave = 1;
    record.fullThumbnail = 1;
    record.Check1 = c.check1;
    record.Check2 = c.check2;

    conversion.ConvertJob(JobOf(parent), OptionsFromSettings(record));

    const auto& saved = engine.SavedAt(pipeline::OutputPathFor(parent));
    std::vector<bool> thumbs;
    for (const auto& page : saved.pages) thumbs.push_back(page.thumb);
    EXPECT_EQ(thumbs, c.thumbs);
    EXPECT_EQ(pipeline::testing::Titles(saved.bookmarks), c.titles);
  }
}

}  // namespace
}  // namespace vellumark::settings

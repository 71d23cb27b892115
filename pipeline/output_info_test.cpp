// The document information of a job's outputs on the fake engine: the
// parent's own, never the blank base file's nor a child's, in the one file
// and in every part.
#include "pipeline/output_info.h"

#include <gtest/gtest.h>

#include <tuple>

#include "pipeline/pipeline_test_helpers.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testing::FakeJobTest;
using testing::ScannedPages;

const std::string kProducer = std::string("Vellumark ") + VELLUMARK_PRODUCER_VERSION;

TEST(OutputDocumentInfo, TitleFallsBackToTheParentsFileName) {
  const acrobat::LocalDateTime now{2026, 12, 7, 9, 30, 5, 540};
  const struct {
    const char* title;
    const char* parent;
    const char* expected;
  } cases[] = {
      {"完成報告書", "/docs/第2工区.pdf", "完成報告書"},
      {"", "/docs/第2工区 報告書.PDF", "第2工区 報告書"},
      {"\xE3\x80\x80 ", "/docs/報告書.v2.pdf", "報告書.v2"},  // an ideographic space is no title
  };
  for (const auto& c : cases) {
    acrobat::DocumentInfo parent;
    parent.title = c.title;
    parent.author = "山田 太郎";
    parent.producer = "LibreOffice 7.4";
    const acrobat::DocumentInfo info = OutputDocumentInfo(parent, platform::PathFromUtf8(c.parent), now);
    EXPECT_EQ(info.title, c.expected) << c.parent;
    EXPECT_EQ(info.author, "山田 太郎");
    EXPECT_EQ(info.producer, kProducer);
    EXPECT_EQ(info.creationDate, now);
    EXPECT_EQ(info.modDate, now);
  }
}

class OutputInfoTest : public FakeJobTest {
 protected:
  // A parent with information of its own and a child with other information.
  std::pair<fs::path, fs::path> AddJob(const std::string& parentTitle) {
    const fs::path parent = AddPdf("報告書.pdf", ScannedPages({"第1章 総則", "", "第2章 設計", "", "第3章 施工"}, 300'000));
    engine.SetFileInfo(parent, {parentTitle, "山田 太郎", "道路改良", "舗装", "Writer", "LibreOffice 7.4", {}, {}});
    const fs::path child = AddPdf("付録.pdf", ScannedPages({"付録A"}, 300'000));
    engine.SetFileInfo(child, {"Appendix", "Other", "", "", "Calc", "Other Producer", {}, {}});
    return {parent, child};
  }

  static void ExpectParentsInformation(const acrobat::DocumentInfo& info, const std::string& title,
                                       const acrobat::LocalDateTime& before, const acrobat::LocalDateTime& after) {
    EXPECT_EQ(info.title, title);
    EXPECT_EQ(info.author, "山田 太郎");
    EXPECT_EQ(info.subject, "道路改良");
    EXPECT_EQ(info.keywords, "舗装");
    EXPECT_EQ(info.creator, "Writer");
    EXPECT_EQ(info.producer, kProducer);
    ASSERT_TRUE(info.creationDate && info.modDate);
    // The conversion's own date: between the clock readings around it.
    auto key = [](const acrobat::LocalDateTime& t) {
      return std::tuple(t.year, t.month, t.day, t.hour, t.minute, t.second);
    };
    EXPECT_LE(key(before), key(*info.creationDate));
    EXPECT_LE(key(*info.creationDate), key(after));
    EXPECT_EQ(info.modDate, info.creationDate);
    EXPECT_EQ(info.creationDate->utcOffsetMinutes, before.utcOffsetMinutes);
  }
};

TEST_F(OutputInfoTest, OneFileAndEveryPartCarryTheParentsInformation) {
  const struct {
    const char* name;
    int opSave;
    int opSplit;
    std::size_t files;
  } cases[] = {{"one file", 1, 0, 1}, {"parts at chapters", 0, 0, 3}, {"parts by size", 0, 3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(docs);
    const auto [parent, child] = AddJob("第2工区　完成報告書");
    options.partSizeLimit.reset();
    if (c.opSave == 0) options.partSizeLimit = SizeLimitFromText("1");
    options.splitUnit = static_cast<SplitUnit>(c.opSplit);
    options.headingSource = HeadingSource::kAllPages;
    const auto before = LocalNow();
    conversion.ConvertJob(JobOf(parent, {child}), options);
    const auto after = LocalNow();

    std::vector<fs::path> outputs;
    if (c.opSave != 0) {
      outputs.push_back(OutputPathFor(parent));
    } else {
      for (int n = 1; n < 100 && fs::exists(PartPath(parent, n)); ++n) outputs.push_back(PartPath(parent, n));
    }
    ASSERT_EQ(outputs.size(), c.files) << ::testing::PrintToString(OutputFiles(parent));
    for (const fs::path& output : outputs) {
      SCOPED_TRACE(output.filename().string());
      ExpectParentsInformation(engine.SavedAt(output).info, "第2工区　完成報告書", before, after);
    }
  }
}

}  // namespace
}  // namespace vellumark::pipeline

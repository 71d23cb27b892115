// Bookmarks of split jobs on the fake engine: which bookmark of which part
// jumps within its part and which opens another part file, at which page;
// that the links count when a part is measured; and the warnings about
// contents without an end and bookmarks that lead nowhere in the job.
#include <gtest/gtest.h>

#include <map>

#include "pipeline/conversion.h"
#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/status_texts.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;

using testing::ContentsReport;
using testing::FakeJobTest;
using testsupport::BookmarkNode;

// Seven headings over fourteen body pages; the label of the page each is
// printed on, as the contents reading titles it.
const std::vector<std::pair<std::string, int>> kHeadings = {
    {"第1章総則", 1}, {"1.1目的", 3}, {"1.1.1範囲", 4}, {"第2章設計", 6},
    {"2.1条件", 8},   {"第3章施工", 11}, {"3.1工程", 13},
};
const std::map<std::string, std::string> kPageOfTitle = {
    {"表紙", "cover"},      {"第1章　総則", "P1"}, {"1.1　目的", "P3"}, {"1.1.1　範囲", "P4"},
    {"第2章　設計", "P6"}, {"2.1　条件", "P8"},   {"第3章　施工", "P11"}, {"3.1　工程", "P13"},
};

void Flatten(const std::vector<BookmarkNode>& nodes, std::vector<const BookmarkNode*>& out) {
  for (const auto& node : nodes) {
    out.push_back(&node);
    Flatten(node.children, out);
  }
}

class PartLinksTest : public FakeJobTest {
 protected:
  std::vector<std::vector<std::string>> WrittenParts(const fs::path& parent) const { return PartLabels(parent); }

  // Where each bookmark of each part leads, checked against the pages the
  // part files really hold: a heading in the part is a jump within it; one
  // in another part opens that part's file at the heading's page. Without
  // the whole tree, a heading of an earlier part only stands at the start of
  // a later part as a heading in force there, opening the part that holds
  // it.
  void ExpectEveryBookmarkLeadsToItsPage(const fs::path& parent, bool fullOutline) {
    const auto parts = PartLabels(parent);
    auto holderOf = [&](const std::string& label) {
      for (std::size_t p = 0; p < parts.size(); ++p) {
        const auto at = std::find(parts[p].begin(), parts[p].end(), label);
        if (at != parts[p].end()) return std::make_pair(p, static_cast<int>(at - parts[p].begin()));
      }
      ADD_FAILURE() << label << " is in no part";
      return std::make_pair(parts.size(), -1);
    };
    for (std::size_t p = 0; p < parts.size(); ++p) {
      std::vector<const BookmarkNode*> flat;
      Flatten(engine.SavedAt(PartPath(parent, static_cast<int>(p) + 1)).bookmarks, flat);
      std::vector<std::string> titles;
      for (const BookmarkNode* node : flat) {
        SCOPED_TRACE("part " + std::to_string(p + 1) + ": " + node->title);
        titles.push_back(node->title);
        const auto [holder, index] = holderOf(kPageOfTitle.at(node->title));
        if (holder == p) {
          EXPECT_EQ(node->remoteFile, "");
          EXPECT_EQ(node->targetPage, index);
        } else {
          EXPECT_EQ(node->remoteFile, platform::PathToUtf8(PartPath(parent, static_cast<int>(holder) + 1).filename()));
          EXPECT_EQ(node->targetPage, index);
          EXPECT_EQ(node->action, "") << "a script would move within this part";
        }
      }
      if (fullOutline) {
        std::vector<std::string> all;
        for (const auto& [title, label] : kPageOfTitle) all.push_back(title);
        std::sort(all.begin(), all.end());
        std::sort(titles.begin(), titles.end());
        EXPECT_EQ(titles, all) << "part " << p + 1;
      }
    }
  }
};

TEST_F(PartLinksTest, EachBookmarkJumpsWithinItsPartOrOpensThePartHoldingItsPage) {
  // About four body pages to a part: every unit gives four parts or more, so
  // part 001 has headings two and three parts on.
  const fs::path parent = AddPdf("報告書.pdf", ContentsReport(kHeadings, 14, LimitFor("1") * 22 / 100));
  for (const CutSearch search : {CutSearch::kLinear, CutSearch::kBisect}) {
    for (const int unit : {0, 1, 2, 3}) {
      for (const bool fullOutline : {false, true}) {
        SCOPED_TRACE("unit " + std::to_string(unit) + (fullOutline ? ", whole tree" : "") +
                     (search == CutSearch::kLinear ? ", plain" : ""));
        conversion.SetCutSearch(search);
        fs::remove_all(OutputPathFor(parent).parent_path());
        options.splitUnit = static_cast<SplitUnit>(unit);
        options.fullOutline = fullOutline;

        conversion.ConvertJob(JobOf(parent), options);

        ASSERT_GE(PartLabels(parent).size(), 4U);
        ExpectEveryBookmarkLeadsToItsPage(parent, fullOutline);
        EXPECT_EQ(conversion.warnings(), std::vector<std::string>{});
      }
    }
  }
}

TEST_F(PartLinksTest, TheLinksCountWhenAPartIsMeasured) {
  // Four pages and their links would pass the limit if the links were left
  // out of the measuring; every part file must stay within it.
  const long long limit = LimitFor("1");
  engine.remoteLinkWeight = limit * 3 / 100;
  const fs::path parent = AddPdf("報告書.pdf", ContentsReport(kHeadings, 14, limit * 22 / 100));
  for (const int unit : {0, 3}) {
    for (const bool fullOutline : {false, true}) {
      SCOPED_TRACE("unit " + std::to_string(unit) + (fullOutline ? ", whole tree" : ""));
      fs::remove_all(OutputPathFor(parent).parent_path());
      options.splitUnit = static_cast<SplitUnit>(unit);
      options.fullOutline = fullOutline;

      conversion.ConvertJob(JobOf(parent), options);

      for (int n = 1; fs::exists(PartPath(parent, n)); ++n) {
        EXPECT_LE(static_cast<long long>(fs::file_size(PartPath(parent, n))), limit) << "part " << n;
      }
      ExpectEveryBookmarkLeadsToItsPage(parent, fullOutline);
      EXPECT_EQ(conversion.warnings(), std::vector<std::string>{});
    }
  }
}

TEST_F(PartLinksTest, ContentsWithoutEndAndHeadingsPastTheJobAreReported) {
  const std::string endMissing = kWarnContentsEndMissing;
  const std::string outside = std::string(kWarnBookmarksOutsideJob) + "「第9章　付録」";
  struct Case {
    const char* name;
    std::vector<std::pair<std::string, int>> headings;
    bool endLine;
    int OpSave;
    int Check2;
    std::vector<std::string> warnings;
  };
  const std::vector<Case> cases = {
      {"sound contents, parts", {{"第1章総則", 1}, {"第2章設計", 5}}, true, 0, 1, {}},
      {"sound contents, one file", {{"第1章総則", 1}, {"第2章設計", 5}}, true, 1, 1, {}},
      // A chapter printed past the last page: forced creation makes its
      // bookmark, named once although every part carries it.
      {"heading past the job, parts", {{"第1章総則", 1}, {"第2章設計", 5}, {"第9章付録", 40}}, true, 0, 1, {outside}},
      {"heading past the job, one file", {{"第1章総則", 1}, {"第9章付録", 40}}, true, 1, 1, {outside}},
      // Not forced: no such bookmark is made, so there is none to report.
      {"heading past the job, not forced", {{"第1章総則", 1}, {"第9章付録", 40}}, true, 0, 0, {}},
      // Without "END" the contents end with the last page that gives
      // entries: the bookmarks still land on their pages, and the user hears
      // that the end was guessed.
      {"no end line, not forced", {{"第1章総則", 1}}, false, 0, 0, {endMissing}},
      {"no end line, forced", {{"第1章総則", 1}, {"第2章設計", 5}}, false, 1, 1, {endMissing}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto pages = ContentsReport(c.headings, 10, LimitFor("1") * 3 / 10);
    if (!c.endLine) pages[1].text.erase(pages[1].text.rfind("\rEND"));
    const fs::path parent = AddPdf("報告書.pdf", pages);
    fs::remove_all(OutputPathFor(parent).parent_path());
    options.partSizeLimit.reset();
    if (c.OpSave == 0) options.partSizeLimit = SizeLimitFromText("1");
    options.forceBookmarks = c.Check2 != 0;

    conversion.ConvertJob(JobOf(parent), options);

    EXPECT_EQ(conversion.warnings(), c.warnings);
    // The job completes all the same.
    EXPECT_TRUE(fs::exists(c.OpSave == 0 ? PartPath(parent, 1) : OutputPathFor(parent)));
  }
}

}  // namespace
}  // namespace vellumark::pipeline

#include "bookmarks/heading_list_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/folders.h"
#include "tests/support/temp_folder.h"

namespace vellumark::bookmarks {
namespace {

namespace fs = std::filesystem;

TEST(HeadingListFileTest, ReadsWhatTheUserMeant) {
  struct Case {
    const char* name;
    std::string text;
    HeadingList list;
  };
  const std::vector<Case> cases = {
      {"three levels, LF", "第1章　総則\t3\n\t1.1　目的\t3\n\t\t1.1.1　範囲\t4\n",
       {{Heading::kChapter, "第1章　総則", 3}, {Heading::kSection, "1.1　目的", 3}, {Heading::kItem, "1.1.1　範囲", 4}}},
      {"CR LF, byte order mark, no line end at the end", "\xEF\xBB\xBF第1章 総則\t3\r\n\t1.1 目的\t12",
       {{Heading::kChapter, "第1章 総則", 3}, {Heading::kSection, "1.1 目的", 12}}},
      {"blank lines anywhere", "\n第1章\t1\r\n\r\n  \n　\n第2章\t9\n\n\n", {{0, "第1章", 1}, {0, "第2章", 9}}},
      {"spaces around and inside the title kept", " 第1章  総則　\t007\n", {{0, " 第1章  総則　", 7}}},
      {"a level may skip one", "\t\t1.1.1 範囲\t2\n第2章\t5\n", {{2, "1.1.1 範囲", 2}, {0, "第2章", 5}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(ParseHeadingListText(c.text, "報告書.headings.tsv"), c.list);
  }
}

TEST(HeadingListFileTest, LineThatIsNoEntryNamesTheFileAndTheLine) {
  struct Case {
    const char* name;
    std::string text;
    const char* line;  // "" for a failure of the whole file
    const char* reason;
  };
  const std::vector<Case> cases = {
      {"three leading TABs", "第1章\t1\n\t\t\t1.1.1.1 細目\t2\n", "2", kTooManyTabs},
      {"no page", "第1章\t1\r\n\r\n第2章\r\n", "3", kNoPage},
      {"page not a number", "第1章\t一\n", "1", kBadPage},
      {"page zero", "第1章\t0\n", "1", kBadPage},
      {"negative page", "第1章\t-3\n", "1", kBadPage},
      {"page with a space after it", "第1章\t3 \n", "1", kBadPage},
      {"page past the values the bookmarks compute with", "第1章\t1000000000000000\n", "1", kBadPage},
      {"page too large for a number", "第1章\t99999999999999999999\n", "1", kBadPage},
      // An empty title leaves its TAB among the leading ones.
      {"empty title", "\t\t5\n", "1", kNoPage},
      {"title of spaces", "\t　 \t5\n", "1", kNoTitle},
      {"TAB inside the title", "第1章\t総則\t5\n", "1", kControlInTitle},
      {"CR inside the line", "第1章\r総則\t5\n", "1", kControlInTitle},
      {"CP932 bytes", "\x91\xE6\x31\x8F\xCD\t1\n", "1", kNotUtf8},
      {"nothing but blank lines", "\r\n\n　\n", "", kHeadingListEmpty},
      {"empty file", "", "", kHeadingListEmpty},
  };
  const fs::path file = platform::PathFromUtf8("/工事/報告書.headings.tsv");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      ParseHeadingListText(c.text, file);
      ADD_FAILURE() << "no error";
    } catch (const platform::UserError& error) {
      EXPECT_EQ(error.file(), file);
      const std::string expected = *c.line == '\0'
                                       ? std::string(c.reason)
                                       : kLineUnreadablePrefix + std::string(c.line) + kLineUnreadableSuffix + c.reason;
      EXPECT_EQ(error.reason(), expected);
    }
  }
}

TEST(HeadingListFileTest, WrittenFileReadsBackAsTheSameList) {
  testsupport::TempFolder folder;
  const fs::path parent = folder.path() / platform::PathFromUtf8("報告書.PDF");
  const fs::path file = HeadingListFilePath(parent);
  EXPECT_EQ(file, folder.path() / platform::PathFromUtf8("報告書.headings.tsv"));
  const HeadingList list = {{0, "第1章　総則", 3}, {1, " 1.1 目的 ", 3}, {2, "1.1.1　範囲", 40}, {0, "付録", 41}};
  WriteHeadingListFile(file, list);
  EXPECT_EQ(ReadHeadingListFile(file), list);

  // A file far larger than any heading list is refused before it is parsed.
  testsupport::WriteBytes(file, std::string(kMaxHeadingListFileBytes + 1, '\n'));
  EXPECT_THROW(
      {
        try {
          ReadHeadingListFile(file);
        } catch (const platform::UserError& error) {
          EXPECT_EQ(error.reason(), kHeadingListTooLarge);
          throw;
        }
      },
      platform::UserError);
}

}  // namespace
}  // namespace vellumark::bookmarks

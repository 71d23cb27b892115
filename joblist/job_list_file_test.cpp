#include "joblist/job_list_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>
#include <iterator>

#include "joblist/job_list.h"
#include "platform/error.h"
#include "tests/support/temp_folder.h"

namespace vellumark::joblist {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// A list file's bytes and the lines it loads as.
struct LoadCase {
  const char* name;
  std::string bytes;
  Lines lines;
};

class JobListFileTest : public ::testing::Test {
 protected:
  template <std::size_t N>
  void ExpectLoads(const LoadCase (&cases)[N]) {
    for (const LoadCase& c : cases) {
      SCOPED_TRACE(c.name);
      WriteBytes(file_, c.bytes);
      EXPECT_EQ(LoadJobListFile(file_), c.lines);
    }
  }

  testsupport::TempFolder folder_;
  fs::path file_ = folder_ / "SaveList.txt";
};

TEST_F(JobListFileTest, SavesCp932LinesEachEndingInCrLf) {
  SaveJobListFile(file_, {"C:\\報告書.pdf\tC:\\付録1.pdf\tC:\\付録2.pdf", "D:\\a.pdf", "E:\\ｱ.PDF"});
  EXPECT_EQ(ReadBytes(file_),
            "C:\\\x95\xF1\x8D\x90\x8F\x91.pdf\tC:\\\x95t\x98^1.pdf\tC:\\\x95t\x98^2.pdf\r\n"
            "D:\\a.pdf\r\n"
            "E:\\\xB1.PDF\r\n");
  SaveJobListFile(file_, {});
  EXPECT_EQ(fs::file_size(file_), 0u);
}

TEST_F(JobListFileTest, LoadSplitsOnCrLfCrOrLfAndPassesOverBlankLines) {
  const LoadCase cases[] = {
      {"CR LF after every line", "A.pdf\r\nB.pdf\r\n", {"A.pdf", "B.pdf"}},
      {"last line without line end", "A.pdf\r\nB.pdf", {"A.pdf", "B.pdf"}},
      {"empty line in the middle", "A.pdf\r\n\r\nB.pdf\r\n", {"A.pdf", "B.pdf"}},
      {"lone LF ends a line", "A.pdf\nB.pdf\r\n", {"A.pdf", "B.pdf"}},
      {"lone CR ends a line", "A.pdf\rB.pdf\r", {"A.pdf", "B.pdf"}},
      {"CR then CR LF", "A.pdf\r\r\nB.pdf", {"A.pdf", "B.pdf"}},
      {"empty file", "", {}},
      {"one empty line", "\r\n", {}},
      {"CP932 with TABs", "\x95\xF1.pdf\t\x95t.pdf\r\n", {"報.pdf\t付.pdf"}},
      // Written by hand on Linux: LF, blank lines after the jobs, a TAB left
      // after the last file.
      {"LF with blank lines at the end", "A.pdf\tB.pdf\nC.pdf\n\n \t\n\n", {"A.pdf\tB.pdf", "C.pdf"}},
      {"trailing TAB", "A.pdf\t\r\nB.pdf\tC.pdf\t\t\n", {"A.pdf", "B.pdf\tC.pdf"}},
      {"UTF-8 without byte order mark", "/工事/報告書.pdf\t/工事/付録①.pdf\n/工事/café.pdf\n",
       {"/工事/報告書.pdf\t/工事/付録①.pdf", "/工事/café.pdf"}},
      {"CP932 that is no UTF-8 stays CP932", "\x95\xF1\x8D\x90\x8F\x91.pdf\n\xB1.PDF\n", {"報告書.pdf", "ｱ.PDF"}},
  };
  ExpectLoads(cases);
}

TEST_F(JobListFileTest, SaveThenLoadGivesTheSameJobs) {
  JobListModel list;
  list.DropOnJobList({"/home/利用者/工事/報告書.pdf", "/home/利用者/工事/図面･2.PDF"});
  list.SelectJob(0);
  list.DropOnChildList({"/home/利用者/工事/付録①.pdf", "/home/利用者/工事/写真～一覧.pdf"});
  SaveJobListFile(file_, list.jobs());

  JobListModel loaded;
  loaded.DropOnJobList({"/old.pdf"});
  loaded.SetJobs(LoadJobListFile(file_));
  EXPECT_EQ(loaded.jobs(), list.jobs());
  EXPECT_EQ(loaded.selectedJob(), -1);
}

TEST_F(JobListFileTest, FailedLoadNamesTheFileAndKeepsTheList) {
  JobListModel list;
  list.DropOnJobList({"/a.pdf"});
  struct Case {
    const char* name;
    std::function<void()> prepare;
    const char* mention;
  };
  const Case cases[] = {
      {"missing", [] {}, ""},
      {"a folder of that name", [this] { fs::create_directory(file_); }, ""},
      {"not CP932 on line 2", [this] { WriteBytes(file_, "A.pdf\r\n\x85\x40.pdf\r\n"); }, "2 行目"},
      // "C:\a<TAB>b.pdf" was one file: as a job line it would be two.
      {"a name with a TAB on line 2", [this] { WriteBytes(file_, "A.pdf\r\nC:\\a\tb.pdf\r\n"); },
       "2 行目: 「C:\\a」"},
      {"an empty child between TABs", [this] { WriteBytes(file_, "A.pdf\t\tB.pdf\r\n"); }, "1 行目: 「」"},
      // Lines count as the file has them, blank ones too.
      {"not UTF-8 after blank lines", [this] { WriteBytes(file_, "\xEF\xBB\xBF\n\nA.pdf\n\xFF.pdf\n"); }, "4 行目"},
      // The UTF-8 form of a list answers to the same rule (found by fuzzing).
      {"a name with a TAB in a UTF-8 list",
       [this] { WriteBytes(file_, "\xEF\xBB\xBF" "A.pdf\r\ncafé\tb.pdf\r\n"); }, "2 行目: 「café」"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(file_);
    c.prepare();
    try {
      // As the window loads: the file is read in full before the list
      // changes, so a file that cannot be read costs no job.
      list.SetJobs(LoadJobListFile(file_));
      ADD_FAILURE() << "no error";
    } catch (const platform::UserError& error) {
      EXPECT_EQ(error.file(), file_);
      EXPECT_NE(error.reason().find(c.mention), std::string::npos) << error.reason();
    }
    EXPECT_EQ(list.jobs(), Lines{"/a.pdf"});
  }
}

TEST_F(JobListFileTest, SaveTakesAwayWhatAKilledSaveLeft) {
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  const fs::path leftover = folder_ / (".vm-" + std::to_string(child) + "-Ab3dE9.tmp");
  WriteBytes(leftover, "/half");
  SaveJobListFile(file_, {"/a.pdf"});
  EXPECT_FALSE(fs::exists(leftover));
  EXPECT_EQ(ReadBytes(file_), "/a.pdf\r\n");
}

TEST_F(JobListFileTest, ListCp932CannotCarryIsWrittenAsUtf8WithByteOrderMark) {
  const Lines cases[] = {
      {"/home/利用者/café.pdf"},
      {"/工事/報告書.pdf\t/工事/付録①.pdf", "/photos/Ærø ∑ 📷.pdf\t/工事/写真～一覧.pdf", ""},
      {"/工事/報告書.pdf", "/공사/도면.pdf"},
      // CP932 could carry it, but its CP932 bytes are the UTF-8 of "/報.pdf".
      {"/蝣ｱ.pdf"},
  };
  for (const Lines& lines : cases) {
    SCOPED_TRACE(lines.front());
    SaveJobListFile(file_, lines);
    std::string expected = "\xEF\xBB\xBF";
    for (const std::string& line : lines) expected += line + "\r\n";
    EXPECT_EQ(ReadBytes(file_), expected);
    // The empty line is written as it stands and passed over when read.
    Lines jobs;
    for (const std::string& line : lines) {
      if (!line.empty()) jobs.push_back(line);
    }
    EXPECT_EQ(LoadJobListFile(file_), jobs);
  }
}

TEST_F(JobListFileTest, ListWithAByteOrderMarkFromAnotherWriterIsReadAsUtf8) {
  const LoadCase cases[] = {
      {"Japanese and accents, CR LF", "\xEF\xBB\xBF報告書.pdf\tcafé.pdf\r\n付録.pdf\r\n", {"報告書.pdf\tcafé.pdf", "付録.pdf"}},
      {"last line without line end", "\xEF\xBB\xBF報告書.pdf\r\n付録.pdf", {"報告書.pdf", "付録.pdf"}},
      {"only the mark", "\xEF\xBB\xBF", {}},
      {"half-width katakana stays itself", "\xEF\xBB\xBFｱ.PDF\r\n", {"ｱ.PDF"}},
  };
  ExpectLoads(cases);

  // Behind the mark, bytes that are no UTF-8 (here CP932) name their line.
  WriteBytes(file_, "\xEF\xBB\xBF" "a.pdf\r\n\x95\xF1.pdf\r\n");
  try {
    LoadJobListFile(file_);
    ADD_FAILURE() << "no error";
  } catch (const platform::UserError& error) {
    EXPECT_EQ(error.file(), file_);
    EXPECT_NE(error.reason().find("2 行目"), std::string::npos) << error.reason();
  }
}

TEST_F(JobListFileTest, FailedSaveKeepsThePreviousFile) {
  SaveJobListFile(file_, {"/previous.pdf"});
  // Text neither CP932 nor UTF-8 can carry: a file name that is no UTF-8.
  EXPECT_THROW(SaveJobListFile(file_, {"/ok.pdf", "/bad\xFF.pdf"}), platform::UserError);
  EXPECT_EQ(ReadBytes(file_), "/previous.pdf\r\n");

  // A folder standing where the file should go makes the final rename fail;
  // the temporary written before it must not be left behind.
  fs::create_directories(folder_ / "SaveList.tmp" / "inside");
  EXPECT_THROW(SaveJobListFile(folder_ / "SaveList.tmp", {"/new.pdf"}), platform::UserError);
  EXPECT_TRUE(fs::is_directory(folder_ / "SaveList.tmp" / "inside"));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 2);

  // A write refused part way, here by the file size limit (which holds for
  // root as well), leaves the previous file and no temporary.
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  bool refused = false;
  try {
    SaveJobListFile(file_, Lines(1000, "/工事/報告書.pdf"));  // about 17 KB
  } catch (const platform::UserError&) {
    refused = true;
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
  EXPECT_TRUE(refused);
  EXPECT_EQ(ReadBytes(file_), "/previous.pdf\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.path()), fs::directory_iterator()), 2);

  // Root writes into read-only folders; anyone else is refused.
  if (geteuid() == 0) return;
  // TempFolder gives the permission back before it removes the folder.
  fs::permissions(folder_.path(), fs::perms::owner_write, fs::perm_options::remove);
  EXPECT_THROW(SaveJobListFile(file_, {"/new.pdf"}), platform::UserError);
  EXPECT_EQ(ReadBytes(file_), "/previous.pdf\r\n");
}

}  // namespace
}  // namespace vellumark::joblist

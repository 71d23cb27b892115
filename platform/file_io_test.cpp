// The atomic file writer: a failed write never leaves a partial file under
// the final name, never harms the previous file, and leaves no temporary.
#include "platform/file_io.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/error.h"
#include "tests/support/small_disk.h"
#include "tests/support/temp_folder.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace vellumark::platform {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::SmallDisk;
using testsupport::FileNamesIn;
using testsupport::TempFolder;
using testsupport::WriteBytes;

// Bytes that differ from position to position, so a lost block shows.
std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 4096) % 26);
  return bytes;
}

TEST(WriteAtomicallyTest, ReplacesTheFileEvenWhenItsNameIsAsLongAsAllowed) {
  TempFolder temp;
  // 255 bytes is the longest name Linux file systems take: a temporary
  // named after the final name could not exist beside it.
  for (const std::size_t length : {1u, 100u, 229u, 255u}) {
    SCOPED_TRACE(length);
    const fs::path file = temp / std::string(length, 'n');
    WriteAtomically(file, "first");
    WriteAtomically(file, Pattern(200 * 1024));
    EXPECT_EQ(ReadBytes(file), Pattern(200 * 1024));
    fs::remove(file);
    EXPECT_TRUE(FileNamesIn(temp.path()).empty());
  }
}

TEST(WriteAtomicallyTest, AFailingProducerLeavesThePreviousFileAndNoTemporary) {
  TempFolder temp;
  const fs::path file = temp / "SaveList.txt";
  WriteBytes(file, "previous\r\n");
  EXPECT_THROW(WriteAtomically(file,
                               [](FileSink& sink) {
                                 sink.Write(Pattern(300 * 1024));
                                 throw std::runtime_error("producer failed");
                               }),
               std::runtime_error);
  EXPECT_EQ(ReadBytes(file), "previous\r\n");
  EXPECT_EQ(FileNamesIn(temp.path()), std::set<std::string>{"SaveList.txt"});
}

// A 1 MB tmpfs to fill up (root only; skipped elsewhere).
class OnAFullDisk : public ::testing::Test {
 protected:
  void SetUp() override { VELLUMARK_REQUIRE_SMALL_DISK(disk); }

  TempFolder temp;
  SmallDisk disk{temp / "disk", "1m"};
};

// A producer that swallows a failed write and carries on (QPDF does so
// around stream data) still gets no file.
TEST_F(OnAFullDisk, WriteAtomicallyFailsWithTheReasonAndKeepsTheEarlierFile) {
  const fs::path file = disk.path() / "報告書.pdf";
  WriteAtomically(file, Pattern(300 * 1024));
  disk.FillLeaving(100 * 1024);

  struct Case {
    const char* name;
    bool swallow;
  };
  for (const Case& c : {Case{"straight", false}, Case{"swallowing", true}}) {
    SCOPED_TRACE(c.name);
    try {
      WriteAtomically(file, [&](FileSink& sink) {
        for (int i = 0; i < 40; ++i) {
          try {
            sink.Write(Pattern(16 * 1024));
          } catch (const UserError&) {
            if (!c.swallow) throw;
          }
        }
        sink.Write("%%EOF\n");
      });
      ADD_FAILURE() << "the write passed on a full disk";
    } catch (const UserError& error) {
      EXPECT_EQ(error.file(), file);
      EXPECT_EQ(error.reason(), "ディスクの空き容量が足りません");
    }
    EXPECT_EQ(ReadBytes(file), Pattern(300 * 1024));
    EXPECT_EQ(FileNamesIn(disk.path()), (std::set<std::string>{"filler", "報告書.pdf"}));
  }
}

#ifndef _WIN32
// Without root: the file size limit makes writes fail part way, the way a
// full disk does, in this process only.
TEST(WriteAtomicallyTest, WriteRefusedPartWayIsReportedAndLeavesNoFile) {
  TempFolder temp;
  const fs::path file = temp / "settings.dat";
  WriteBytes(file, "old");
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit small = saved;
  small.rlim_cur = 100 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
  std::string reason;
  try {
    WriteAtomically(file, Pattern(1024 * 1024));
  } catch (const UserError& error) {
    reason = error.reason();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previousHandler);
  EXPECT_EQ(reason, "ファイルが大きすぎて書き込めません");
  EXPECT_EQ(ReadBytes(file), "old");
  EXPECT_EQ(FileNamesIn(temp.path()), std::set<std::string>{"settings.dat"});
}

TEST(WriteAtomicallyTest, UnwritableFolderNamesTheFileAndTheReason) {
  TempFolder temp;
  struct Case {
    const char* name;
    fs::path file;
    const char* reason;
  };
  // A regular file standing where the folder should be fails for root too.
  WriteBytes(temp / "memo.txt", "not a folder");
  std::vector<Case> cases = {{"folder is a file", temp / "memo.txt" / "x.txt", "保存先のフォルダーがありません"}};
  // Root writes into any folder, so a read-only one only stops other users.
  if (geteuid() != 0) {
    fs::create_directory(temp / "locked");
    // Left empty, it goes with the temporary folder whatever its permissions.
    fs::permissions(temp / "locked", fs::perms::owner_write, fs::perm_options::remove);
    cases.push_back({"read-only folder", temp / "locked" / "x.txt", "書き込む権限がありません"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      WriteAtomically(c.file, "x");
      ADD_FAILURE() << "wrote where no file can be";
    } catch (const UserError& error) {
      EXPECT_EQ(error.file(), c.file);
      EXPECT_EQ(error.reason(), c.reason);
    }
  }
}
#endif

TEST(MoveFileAtomicallyTest, MovesWithinAndAcrossFileSystems) {
  TempFolder temp;
  const fs::path target = temp / "out" / "報告書_001.PDF";
  fs::create_directories(target.parent_path());
  WriteBytes(temp / "temp.pdf", Pattern(150 * 1024));
  MoveFileAtomically(temp / "temp.pdf", target);
  EXPECT_EQ(ReadBytes(target), Pattern(150 * 1024));
  EXPECT_FALSE(fs::exists(temp / "temp.pdf"));

  SmallDisk disk(temp / "disk", "1m");
  VELLUMARK_REQUIRE_SMALL_DISK(disk);
  WriteBytes(disk.path() / "temp.pdf", Pattern(200 * 1024));
  MoveFileAtomically(disk.path() / "temp.pdf", target);
  EXPECT_EQ(ReadBytes(target), Pattern(200 * 1024));
  EXPECT_FALSE(fs::exists(disk.path() / "temp.pdf"));
  EXPECT_EQ(FileNamesIn(target.parent_path()), std::set<std::string>{"報告書_001.PDF"});
}

TEST_F(OnAFullDisk, MoveFileAtomicallyKeepsTheTargetAsItWas) {
  const fs::path target = disk.path() / "報告書_002.PDF";
  WriteBytes(target, "earlier part");
  disk.FillLeaving(64 * 1024);
  WriteBytes(temp / "temp.pdf", Pattern(400 * 1024));
  EXPECT_THROW(MoveFileAtomically(temp / "temp.pdf", target), UserError);
  EXPECT_EQ(ReadBytes(target), "earlier part");
  EXPECT_EQ(FileNamesIn(disk.path()), (std::set<std::string>{"filler", "報告書_002.PDF"}));
}

#ifndef _WIN32
TEST(RemoveLeftOverTemporariesTest, RemovesOnlyTemporariesOfDeadRuns) {
  TempFolder temp;
  // A process id that is certainly not running: a child that has ended.
  const pid_t child = fork();
  if (child == 0) _exit(0);
  ASSERT_GT(child, 0);
  waitpid(child, nullptr, 0);
  const std::string dead = std::to_string(child);
  const std::string self = std::to_string(getpid());

  const std::set<std::string> leftovers = {".vm-" + dead + "-a1B2c3.tmp", "報告書.pdf.vellumark-8812-3.tmp",
                                           "報告書_002.PDF.vellumark-copy.tmp"};
  const std::set<std::string> kept = {".vm-" + self + "-a1B2c3.tmp",  // a write of this run
                                      ".vm-1-zzzzzz.tmp",              // a running process's
                                      ".vm-" + dead + "-abc.tmp",      // not a name we make
                                      "報告書.pdf", "報告書_001.PDF", "notes.tmp"};
  for (const auto& name : leftovers) WriteBytes(temp / name, "x");
  for (const auto& name : kept) WriteBytes(temp / name, "x");
  fs::create_directories(temp / "sub");
  WriteBytes(temp / "sub" / (".vm-" + dead + "-a1B2c3.tmp"), "x");

  EXPECT_EQ(RemoveLeftOverTemporaries(temp.path()), 3);
  std::set<std::string> expected = kept;
  expected.insert("sub");
  EXPECT_EQ(FileNamesIn(temp.path()), expected);
  EXPECT_TRUE(fs::exists(temp / "sub" / (".vm-" + dead + "-a1B2c3.tmp")));
}
#endif

}  // namespace
}  // namespace vellumark::platform

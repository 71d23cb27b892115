#include "platform/file_lock.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <utility>

#include "tests/support/temp_folder.h"

namespace vellumark::platform {
namespace {

using testsupport::TempFolder;

// Whether a separate process could take the lock on `path` right now.
bool AnotherProcessCouldTake(const std::filesystem::path& path) {
  const pid_t child = fork();
  if (child == 0) {
    std::error_code error;
    _exit(FileLock::TryTake(path, false, error) ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

TEST(FileLockTest, OneHolderAtATimeInThisProcessAndOthers) {
  TempFolder temp;
  const std::filesystem::path path = temp / "batch.lock";
  std::error_code error;

  EXPECT_FALSE(FileLock::TryTake(path, false, error).has_value());
  EXPECT_EQ(error, std::errc::no_such_file_or_directory);
  EXPECT_FALSE(std::filesystem::exists(path));

  std::optional<FileLock> first = FileLock::TryTake(path, true, error);
  ASSERT_TRUE(first.has_value()) << error.message();
  // Held: refused without an error, here and in another process.
  EXPECT_FALSE(FileLock::TryTake(path, true, error).has_value());
  EXPECT_FALSE(error);
  EXPECT_FALSE(AnotherProcessCouldTake(path));

  // Moving the lock keeps it held; dropping the last owner frees it.
  FileLock moved = std::move(*first);
  first.reset();
  EXPECT_FALSE(AnotherProcessCouldTake(path));
  { FileLock gone = std::move(moved); }
  EXPECT_TRUE(AnotherProcessCouldTake(path));
  EXPECT_TRUE(FileLock::TryTake(path, false, error).has_value());
}

TEST(FileLockTest, ASymbolicLinkIsNotFollowed) {
  TempFolder temp;
  std::filesystem::create_symlink(temp / "elsewhere", temp / "batch.lock");
  std::error_code error;
  EXPECT_FALSE(FileLock::TryTake(temp / "batch.lock", true, error).has_value());
  EXPECT_TRUE(error);
  EXPECT_FALSE(std::filesystem::exists(temp / "elsewhere"));
}

}  // namespace
}  // namespace vellumark::platform

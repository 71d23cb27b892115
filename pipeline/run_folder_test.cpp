// Each run's own working folder, and the clean-up of folders that dead runs
// left behind: only the program's own files ever go.
#include "pipeline/run_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <vector>

#include "pipeline/working_files.h"
#include "platform/folders.h"
#include "tests/support/env_override.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using testsupport::EnvOverride;
using testsupport::FileNamesIn;
using testsupport::TempFolder;
using testsupport::WriteBytes;

// A run folder as a run that died (kill -9, power cut) leaves it: its lock
// file still there, nobody holding it.
fs::path DeadRunFolder(const fs::path& base, const std::string& name, const std::vector<std::string>& files) {
  const fs::path folder = base / name;
  WriteBytes(folder / kRunLockName, "");
  for (const std::string& file : files) WriteBytes(folder / platform::PathFromUtf8(file), "x");
  return folder;
}

TEST(RunFolderTest, EachRunWorksInItsOwnFolderWhichGoesWithIt) {
  TempFolder temp;
  const fs::path base = temp / "pdf";
  WriteBytes(base / platform::PathFromUtf8("利用者の図面.pdf"), "mine");
  std::optional<RunFolder> first(std::in_place, base);
  const RunFolder second(base);

  EXPECT_NE(first->path(), second.path());
  for (const RunFolder* run : std::vector<const RunFolder*>{&*first, &second}) {
    EXPECT_EQ(run->path().parent_path(), base);
    EXPECT_TRUE(fs::is_directory(run->path()));
  }
  // What a job leaves behind when the window closes in the middle of it.
  const fs::path firstFolder = first->path();
  for (const char* name : {"Default.pdf", "defQ.PDF", "temp.pdf.vellumark-12-0.tmp"}) {
    WriteBytes(firstFolder / name, "x");
  }
  first.reset();
  EXPECT_FALSE(fs::exists(firstFolder));
  EXPECT_TRUE(fs::is_directory(second.path()));
  EXPECT_EQ(FileNamesIn(base), (std::set<std::string>{platform::PathToUtf8(second.path().filename()), "利用者の図面.pdf"}));
}

TEST(RunFolderTest, ANewRunCleansDeadRunsButNoForeignFileAndNoLiveRun) {
  TempFolder temp;
  const fs::path base = temp / "pdf";
  const fs::path dead = DeadRunFolder(base, "run-101-1", {"Default.pdf", "Defaul2.pdf", "Default.pdf.vellumark-9-1.tmp"});
  const fs::path foreign = DeadRunFolder(base, "run-102-2", {"defQ.PDF", "図面.pdf"});
  // A run that died between deleting its lock file and its folder, long ago,
  // and one that has just made its folder and is about to lock it.
  const fs::path halfGone = base / "run-103-3";
  WriteBytes(halfGone / "temp.pdf", "x");
  fs::last_write_time(halfGone, fs::file_time_type::clock::now() - std::chrono::hours(1));
  fs::create_directories(base / "run-104-4");
  // Not a run folder at all, whatever it holds.
  WriteBytes(base / "keep" / "Default.pdf", "x");
  WriteBytes(base / "run-105.pdf", "x");
  fs::create_directory_symlink(dead, base / "run-106-link");

  const RunFolder live(base);
  WriteBytes(live.path() / "Default.pdf", "live");
  const RunFolder next(base);

  EXPECT_FALSE(fs::exists(dead));
  EXPECT_FALSE(fs::exists(halfGone));
  EXPECT_EQ(FileNamesIn(foreign), (std::set<std::string>{"図面.pdf"}));
  EXPECT_TRUE(fs::is_directory(base / "run-104-4"));
  EXPECT_TRUE(fs::exists(base / "keep" / "Default.pdf"));
  EXPECT_TRUE(fs::exists(base / "run-105.pdf"));
  EXPECT_TRUE(fs::is_symlink(base / "run-106-link"));
  EXPECT_EQ(testsupport::ReadBytes(live.path() / "Default.pdf"), "live");
  EXPECT_TRUE(fs::exists(live.path() / kRunLockName));
}

TEST(WorkingFolderBaseTest, ADisabledOrMissingTemplatesFolderSendsTheRunsToTheCache) {
  TempFolder temp;
  const fs::path home = temp / "home";
  fs::create_directories(home / "Templates");
  EnvOverride homeEnv("HOME", platform::PathToUtf8(home));
  EnvOverride configEnv("XDG_CONFIG_HOME", std::nullopt);
  struct Case {
    const char* name;
    std::optional<std::string> templatesLine;  // nullopt: no user-dirs file
    std::optional<std::string> cacheHome;
    fs::path expected;
  };
  const Case cases[] = {
      {"templates folder", std::nullopt, std::nullopt, home / "Templates" / "pdf"},
      {"disabled: the home folder", "XDG_TEMPLATES_DIR=\"$HOME/\"", std::nullopt, home / ".cache" / "vellumark"},
      {"disabled, cache elsewhere", "XDG_TEMPLATES_DIR=\"$HOME\"", platform::PathToUtf8(temp / "cache"),
       temp / "cache" / "vellumark"},
      {"missing", "XDG_TEMPLATES_DIR=\"$HOME/テンプレート\"", std::nullopt, home / ".cache" / "vellumark"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(home / ".config" / "user-dirs.dirs");
    if (c.templatesLine) WriteBytes(home / ".config" / "user-dirs.dirs", *c.templatesLine + "\n");
    EnvOverride cacheEnv("XDG_CACHE_HOME", c.cacheHome);
    EXPECT_EQ(WorkingFolderBase(), c.expected);
  }
  EXPECT_FALSE(fs::exists(home / platform::PathFromUtf8("テンプレート")));
}

}  // namespace
}  // namespace vellumark::pipeline

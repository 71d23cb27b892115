#include "platform/folders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "tests/support/env_override.h"
#include "tests/support/temp_folder.h"

namespace vellumark::platform {
namespace {

namespace fs = std::filesystem;

using testsupport::EnvOverride;
using testsupport::TempFolder;
using testsupport::WriteBytes;

// The folder as the UTF-8 text the functions under test take and give.
std::string Text(const TempFolder& folder) { return PathToUtf8(folder.path()); }

TEST(AddTrailingBackslash, EnsuresExactlyOneFinalSeparator) {
  const std::pair<std::string, std::string> cases[] = {
      {"", "/"},
      {"/", "/"},
      {"/opt/vellumark", "/opt/vellumark/"},
      {"/opt/vellumark/", "/opt/vellumark/"},
      {"/home/利用者/テンプレート", "/home/利用者/テンプレート/"},
      {"C:\\", "C:\\/"},  // a backslash is an ordinary character on Linux
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(AddTrailingBackslash(in), out) << in;
}

TEST(TemplatesFolder, ComesFromTheUserDirsFile) {
  TempFolder scratch;
  const std::string home = Text(scratch) + "/home";
  struct Case {
    const char* name;
    std::optional<std::string> userDirs;  // nullopt: no file at all
    std::string expected;
  };
  const Case cases[] = {
      {"home relative", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_TEMPLATES_DIR=\"$HOME/テンプレート\"\n",
       home + "/テンプレート/"},
      {"absolute", "# comment\nXDG_TEMPLATES_DIR=\"/srv/templates\"\n", "/srv/templates/"},
      {"home itself", "XDG_TEMPLATES_DIR=\"$HOME/\"\n", home + "/"},
      {"escaped quote", "XDG_TEMPLATES_DIR=\"$HOME/a\\\"b\"\n", home + "/a\"b/"},
      {"last one wins", "XDG_TEMPLATES_DIR=\"/first\"\nXDG_TEMPLATES_DIR=\"/second\"\n", "/second/"},
      {"commented out", "#XDG_TEMPLATES_DIR=\"/nowhere\"\n", home + "/Templates/"},
      {"relative value", "XDG_TEMPLATES_DIR=\"Templates2\"\n", home + "/Templates/"},
      {"no file", std::nullopt, home + "/Templates/"},
  };
  EnvOverride homeEnv("HOME", home);
  EnvOverride configEnv("XDG_CONFIG_HOME", Text(scratch) + "/config");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(scratch.path() / "config" / "user-dirs.dirs");
    if (c.userDirs) WriteBytes(scratch.path() / "config" / "user-dirs.dirs", *c.userDirs);
    EXPECT_EQ(TemplatesFolder(), c.expected);
  }
}

TEST(TemplatesFolder, DefaultConfigFolderIsUnderHome) {
  TempFolder scratch;
  EnvOverride homeEnv("HOME", Text(scratch));
  EnvOverride configEnv("XDG_CONFIG_HOME", std::nullopt);
  WriteBytes(scratch.path() / ".config" / "user-dirs.dirs", "XDG_TEMPLATES_DIR=\"$HOME/雛形\"\n");
  EXPECT_EQ(TemplatesFolder(), Text(scratch) + "/雛形/");
}

TEST(MakeSureDirectoryPathExists, CreatesFoldersUpToTheLastSeparator) {
  TempFolder scratch;
  const std::string root = Text(scratch);

  EXPECT_TRUE(MakeSureDirectoryPathExists(root + "/a/b/変換済み/"));
  EXPECT_TRUE(fs::is_directory(scratch.path() / "a" / "b" / PathFromUtf8("変換済み")));

  EXPECT_TRUE(MakeSureDirectoryPathExists(root + "/c/d/report.pdf"));
  EXPECT_TRUE(fs::is_directory(scratch.path() / "c" / "d"));
  EXPECT_FALSE(fs::exists(scratch.path() / "c" / "d" / "report.pdf"));

  EXPECT_TRUE(MakeSureDirectoryPathExists(root + "/a/b/"));  // already there
  EXPECT_TRUE(MakeSureDirectoryPathExists("no-separator"));
  EXPECT_FALSE(fs::exists("no-separator"));

  WriteBytes(scratch.path() / "file", "x");
  EXPECT_FALSE(MakeSureDirectoryPathExists(root + "/file/sub/"));  // a file is in the way
}

TEST(Paths, Utf8NamesReachTheFileSystemUnchanged) {
  TempFolder scratch;
  const std::string name = "報告書（第１章）･.pdf";
  WriteBytes(PathFromUtf8(Text(scratch) + "/" + name), "x");
  int found = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(scratch.path())) {
    EXPECT_EQ(entry.path().filename().native(), name);  // the bytes on disk are the UTF-8 bytes
    EXPECT_EQ(PathToUtf8(entry.path()), Text(scratch) + "/" + name);
    ++found;
  }
  EXPECT_EQ(found, 1);
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
  EXPECT_EQ(fs::canonical(ProgramFolder()), fs::canonical(fs::path(VELLUMARK_BINARY_DIR) / "platform"));
}

}  // namespace
}  // namespace vellumark::platform

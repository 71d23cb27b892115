#include "platform/folders.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace vellumark::platform {
namespace {

namespace fs = std::filesystem;

class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : path_(fs::temp_directory_path() / ("vellumark-" + name + "-" + std::to_string(getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() { fs::remove_all(path_); }
  const fs::path& path() const { return path_; }
  std::string text() const { return PathToUtf8(path_); }

 private:
  fs::path path_;
};

// Sets an environment variable for one test and restores it afterwards.
class EnvOverride {
 public:
  EnvOverride(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      setenv(name, value->c_str(), 1);
    } else {
      unsetenv(name);
    }
  }
  ~EnvOverride() {
    if (old_) {
      setenv(name_, old_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }

 private:
  const char* name_;
  std::optional<std::string> old_;
};

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

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

TEST(GetSpecialFolder, TemplatesComeFromTheUserDirsFile) {
  ScratchFolder scratch("templates");
  const std::string home = scratch.text() + "/home";
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
  EnvOverride configEnv("XDG_CONFIG_HOME", scratch.text() + "/config");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(scratch.path() / "config" / "user-dirs.dirs");
    if (c.userDirs) WriteText(scratch.path() / "config" / "user-dirs.dirs", *c.userDirs);
    EXPECT_EQ(GetSpecialFolder(21), c.expected);
  }
}

TEST(GetSpecialFolder, DefaultConfigFolderIsUnderHome) {
  ScratchFolder scratch("templates-default");
  EnvOverride homeEnv("HOME", scratch.text());
  EnvOverride configEnv("XDG_CONFIG_HOME", std::nullopt);
  WriteText(scratch.path() / ".config" / "user-dirs.dirs", "XDG_TEMPLATES_DIR=\"$HOME/雛形\"\n");
  EXPECT_EQ(GetSpecialFolder(21), scratch.text() + "/雛形/");
  // Folders without a counterpart here degrade to the separator alone.
  EXPECT_EQ(GetSpecialFolder(5), "/");
}

TEST(MakeSureDirectoryPathExists, CreatesFoldersUpToTheLastSeparator) {
  ScratchFolder scratch("mkdir");
  const std::string root = scratch.text();

  EXPECT_TRUE(MakeSureDirectoryPathExists(root + "/a/b/変換済み/"));
  EXPECT_TRUE(fs::is_directory(scratch.path() / "a" / "b" / PathFromUtf8("変換済み")));

  EXPECT_TRUE(MakeSureDirectoryPathExists(root + "/c/d/report.pdf"));
  EXPECT_TRUE(fs::is_directory(scratch.path() / "c" / "d"));
  EXPECT_FALSE(fs::exists(scratch.path() / "c" / "d" / "report.pdf"));

  EXPECT_TRUE(MakeSureDirectoryPathExists(root + "/a/b/"));  // already there
  EXPECT_TRUE(MakeSureDirectoryPathExists("no-separator"));
  EXPECT_FALSE(fs::exists("no-separator"));

  WriteText(scratch.path() / "file", "x");
  EXPECT_FALSE(MakeSureDirectoryPathExists(root + "/file/sub/"));  // a file is in the way
}

TEST(Paths, Utf8NamesReachTheFileSystemUnchanged) {
  ScratchFolder scratch("utf8");
  const std::string name = "報告書（第１章）･.pdf";
  WriteText(PathFromUtf8(scratch.text() + "/" + name), "x");
  int found = 0;
  for (const fs::directory_entry& entry : fs::directory_iterator(scratch.path())) {
    EXPECT_EQ(entry.path().filename().native(), name);  // the bytes on disk are the UTF-8 bytes
    EXPECT_EQ(PathToUtf8(entry.path()), scratch.text() + "/" + name);
    ++found;
  }
  EXPECT_EQ(found, 1);
}

TEST(ProgramFolder, IsTheFolderOfTheRunningProgram) {
  EXPECT_EQ(fs::canonical(ProgramFolder()), fs::canonical(fs::path(VELLUMARK_BINARY_DIR) / "platform"));
}

}  // namespace
}  // namespace vellumark::platform

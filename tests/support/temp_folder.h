#pragma once
// A private folder for one GoogleTest test, the two byte-exact file helpers
// the tests use on the files in it, and what a folder holds.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <stdexcept>
#include <string>
#include <system_error>

namespace vellumark::testsupport {

// A fresh, empty folder named after the running test plus a random number:
// CTest runs the tests of one program in parallel processes, and two builds
// may run the same test at once, so neither the name nor the process id
// alone keeps them apart. The folder and all in it go when the object does.
class TempFolder {
 public:
  TempFolder() : TempFolder(std::filesystem::temp_directory_path()) {}

  // The folder under `parent` instead, e.g. on another file system.
  explicit TempFolder(const std::filesystem::path& parent) {
    const std::string base = "vellumark-" + TestName() + "-";
    std::random_device random;
    // create_directory answers false for a folder that is already there:
    // a name another run holds is passed over, not shared.
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts && path_.empty(); ++attempt) {
      const std::filesystem::path candidate = parent / (base + std::to_string(random()));
      if (std::filesystem::create_directory(candidate)) path_ = candidate;
    }
    if (path_.empty()) throw std::runtime_error("no fresh temporary folder under " + parent.string());
  }

  ~TempFolder() {
    std::error_code ignored;
    // A test may have taken its own write permission away to make a save
    // fail; without it back the folder's entries could not be removed.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
  }

  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  // "Suite-Name" of the running test, with the separators of parameterised
  // names and anything else a file name should not hold made '_'.
  static std::string TestName() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = info == nullptr ? "test" : std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) {
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-' && c != '_') c = '_';
    }
    return name;
  }

  std::filesystem::path path_;
};

// Writes `bytes` as they are, creating the folders on the way.
inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  if (file.has_parent_path()) std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  if (!out) ADD_FAILURE() << "cannot write " << file;
}

// The bytes of `file`; "" if there is no such file.
inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names of the entries of `folder` (UTF-8, as the file system holds
// them here), sorted; leftovers such as temporary files show up as well.
inline std::set<std::string> FileNamesIn(const std::filesystem::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.insert(entry.path().filename().string());
  return names;
}

}  // namespace vellumark::testsupport

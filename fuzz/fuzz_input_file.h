#pragma once
// The readers under test take a path, as the program reads its files from
// disk: each fuzz input is written to one scratch file per process and read
// back from there.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/error.h"
#include "platform/file_io.h"

namespace vellumark::fuzz {

class FuzzInputFile {
 public:
  // `name` keeps the reader's own checks on the file name satisfied (a PDF
  // must end in .pdf).
  explicit FuzzInputFile(const std::string& name) {
    const char* tmp = std::getenv("TMPDIR");
    folder_ = std::filesystem::path(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") /
              ("vellumark-fuzz-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    path_ = folder_ / name;
  }
  ~FuzzInputFile() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;

  const std::filesystem::path& Write(const std::uint8_t* data, std::size_t size) {
    // A scratch file that could not be written would make every input look
    // like a missing file and the run look clean: stop instead.
    try {
      vellumark::platform::WriteAtomically(path_, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const vellumark::platform::UserError&) {
      std::abort();
    }
    return path_;
  }

  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::filesystem::path path_;
};

}  // namespace vellumark::fuzz

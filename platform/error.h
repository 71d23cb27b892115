#pragma once
// The one exception type for failures a user must hear about: which file,
// and what went wrong in plain words. Front ends catch it in exactly one place.
#include <filesystem>
#include <stdexcept>
#include <string>

namespace vellumark::platform {

class UserError : public std::runtime_error {
 public:
  // `what` is a plain sentence (Japanese, UTF-8) without the file name;
  // message() puts the two together for display.
  UserError(std::filesystem::path file, std::string what)
      : std::runtime_error(Compose(file, what)), file_(std::move(file)), reason_(std::move(what)) {}

  const std::filesystem::path& file() const noexcept { return file_; }
  const std::string& reason() const noexcept { return reason_; }

 private:
  static std::string Compose(const std::filesystem::path& file, const std::string& what) {
    if (file.empty()) return what;
    return reinterpret_cast<const char*>(file.u8string().c_str()) + std::string(": ") + what;
  }

  std::filesystem::path file_;
  std::string reason_;
};

}  // namespace vellumark::platform

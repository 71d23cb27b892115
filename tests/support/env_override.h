#pragma once
// Sets (or unsets) an environment variable for the life of the object and
// restores the earlier value afterwards. GoogleTest runs each test of the
// project in its own process under CTest, so no other thread sees the change.
#include <cstdlib>
#include <optional>
#include <string>

namespace vellumark::testsupport {

class EnvOverride {
 public:
  EnvOverride(const char* name, const std::optional<std::string>& value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    if (value) {
      ::setenv(name, value->c_str(), 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~EnvOverride() {
    if (old_) {
      ::setenv(name_, old_->c_str(), 1);
    } else {
      ::unsetenv(name_);
    }
  }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  const char* name_;
  std::optional<std::string> old_;
};

}  // namespace vellumark::testsupport

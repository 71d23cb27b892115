#pragma once
// vellumark-cli as a function, so tests drive it in-process: the same
// pipeline as the window, status texts on `err`, results on `out`.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "acrobat/engine.h"

namespace vellumark::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitJobFailed = 1;
inline constexpr int kExitUsage = 2;
// --strict: the run completed, but with a warning.
inline constexpr int kExitWarnings = 3;

// Where the command line runs. The defaults are the product's; tests give
// their own engine and folders.
struct Environment {
  acrobat::Engine* engine = nullptr;        // null: the real engine
  std::filesystem::path applicationFolder;  // empty: the program's (or the user's config) folder
  std::filesystem::path workFolder;         // where the run's own working folder is made; empty: WorkingFolderBase()
  bool progressLine = false;                // stderr is a terminal: one line, rewritten
};

// `args` without the program name. Returns the exit code.
int RunCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
           const Environment& environment = {});

}  // namespace vellumark::cli

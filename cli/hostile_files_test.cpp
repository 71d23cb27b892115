// `vellumark-cli convert` on crafted files, each run in a child process
// held to 1 GiB of address space and a minute: the run ends, with the
// output and the message a user would get.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "acrobat/engine_messages.h"
#include "cli/run_cli.h"
#include "pipeline/status_texts.h"
#include "tests/support/hostile_pdfs.h"
#include "tests/support/temp_folder.h"

#if defined(__SANITIZE_ADDRESS__)
#define VELLUMARK_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELLUMARK_ADDRESS_SANITIZER 1
#endif
#endif

namespace vellumark::cli {
namespace {

namespace fs = std::filesystem;
using testsupport::HostilePdfs;
using testsupport::TempFolder;

constexpr rlim_t kMemoryLimit = rlim_t{1} << 30;
constexpr unsigned kTimeLimitSeconds = 60;

struct ChildRun {
  bool exited = false;  // false: killed (time or a crash)
  int exitCode = -1;
  std::string err;
  double seconds = 0;
};

// Runs `vellumark-cli convert` on `file` (one file, headings from a scan of
// every page) in a forked child under the limits.
// The child has only this thread; poppler's workers start there afresh.
ChildRun ConvertInChild(const fs::path& folder, const fs::path& file) {
  const fs::path errFile = folder / "stderr.txt";
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
#ifndef VELLUMARK_ADDRESS_SANITIZER
    // The sanitizer reserves terabytes of shadow memory up front; there
    // only the time limit applies.
    const rlimit memory{kMemoryLimit, kMemoryLimit};
    ::setrlimit(RLIMIT_AS, &memory);
#endif
    ::alarm(kTimeLimitSeconds);  // SIGALRM ends the child
    std::ostringstream out, err;
    Environment environment{nullptr, folder / "app", folder / "work", false};
    fs::create_directories(environment.applicationFolder);
    const int code = RunCli({"convert", "--one-file", "--headings", "scan", file.string()}, out, err, environment);
    std::ofstream(errFile) << err.str();
    std::_Exit(code);
  }
  ChildRun run;
  int status = 0;
  EXPECT_EQ(::waitpid(pid, &status, 0), pid);
  run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  run.exited = WIFEXITED(status);
  if (run.exited) run.exitCode = WEXITSTATUS(status);
  std::ifstream in(errFile);
  std::ostringstream text;
  text << in.rdbuf();
  run.err = text.str();
  return run;
}

struct Case {
  const char* name;
  void (*build)(const fs::path&);
  int exitCode;
  std::string message;  // found in what the run printed
};

TEST(HostileFiles, ConvertEndsWithinMemoryAndTimeWithTheRightOutcome) {
  TempFolder folder;
  const fs::path file = folder / "hostile.pdf";
  const std::string tooComplex = file.string() + ": " + acrobat::kTooComplex;
  const Case cases[] = {
      {"outline items in a circle", HostilePdfs::OutlineItemsInACircle, kExitSuccess, ""},
      {"page of 200,000 points", HostilePdfs::HugePage, kExitSuccess, ""},
      {"image of 10^6 x 10^6 pixels", HostilePdfs::GiganticImage, kExitSuccess,
       std::string(pipeline::kWarnNoThumbnail) + "hostile.pdf 2" + pipeline::kWarnPageSuffix},
      {"four million q operators", HostilePdfs::SaveStateBomb, kExitJobFailed, tooComplex},
      {"a gigabyte of inflated content", HostilePdfs::InflationBomb, kExitJobFailed, tooComplex},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(folder / "変換済み");
    c.build(file);
    ASSERT_LT(fs::file_size(file), 10u << 20);
    const ChildRun run = ConvertInChild(folder.path(), file);
    ASSERT_TRUE(run.exited) << "killed after " << run.seconds << " s\n" << run.err;
    EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
    EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("bad_alloc"), std::string::npos) << run.err;
    EXPECT_EQ(fs::exists(folder / "変換済み" / "hostile.pdf"), c.exitCode == kExitSuccess);
  }
}

}  // namespace
}  // namespace vellumark::cli

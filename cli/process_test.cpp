// vellumark-cli as separate processes that share one home folder and one
// application folder, as two terminals of one user do: a run killed in the
// middle of a batch, and a second run started while a first one works. The
// real program is copied into a private folder, which then is its
// application folder (the program's own folder) for this test alone.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <string>
#include <thread>
#include <vector>

#include "cli/run_cli.h"
#include "joblist/job_list_file.h"
#include "pipeline/batch.h"
#include "pipeline/run_folder.h"
#include "platform/folders.h"
#include "tests/support/temp_folder.h"

extern char** environ;

namespace vellumark::cli {
namespace {

namespace fs = std::filesystem;
using testsupport::TempFolder;

int PageCount(const fs::path& file) {
  QPDF pdf;
  pdf.processFile(file.c_str());
  return static_cast<int>(QPDFPageDocumentHelper(pdf).getAllPages().size());
}

// Polls `done` for up to 60 s; false when it never came true.
bool WaitFor(const std::function<bool()>& done) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (std::chrono::steady_clock::now() < deadline) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

int ExitCode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

class CliProcessTest : public ::testing::Test {
 protected:
  CliProcessTest() {
    fs::create_directories(bin);
    fs::copy_file(VELLUMARK_CLI_PATH, exe);
    fs::permissions(exe, fs::perms::owner_all);
    fs::create_directories(home);
  }

  std::string Copy(const std::string& fixture, const std::string& as) {
    const fs::path copy = temp / platform::PathFromUtf8(as);
    fs::create_directories(copy.parent_path());
    fs::copy_file(fs::path(VELLUMARK_TEST_DATA_DIR) / fixture, copy);
    return platform::PathToUtf8(copy);
  }

  fs::path ListFile(const std::string& name, const std::vector<std::string>& jobs) {
    const fs::path file = temp / name;
    joblist::SaveJobListFile(file, jobs);
    return file;
  }

  // Starts the program with the test's home folder (no Templates folder, so
  // the working folders go to ~/.cache/vellumark) and `stderrFd` as stderr.
  pid_t Start(const std::vector<std::string>& args, int stderrFd) {
    std::vector<std::string> argText = {exe.string()};
    argText.insert(argText.end(), args.begin(), args.end());
    std::vector<std::string> envText = {"HOME=" + home.string()};
    for (char** entry = environ; *entry != nullptr; ++entry) {
      const std::string text = *entry;
      if (text.rfind("HOME=", 0) != 0 && text.rfind("XDG_", 0) != 0) envText.push_back(text);
    }
    std::vector<char*> argv, envp;
    for (std::string& text : argText) argv.push_back(text.data());
    for (std::string& text : envText) envp.push_back(text.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const pid_t child = fork();
    if (child == 0) {
      dup2(stderrFd, STDERR_FILENO);
      const int devNull = open("/dev/null", O_WRONLY);
      dup2(devNull, STDOUT_FILENO);
      execve(exe.c_str(), argv.data(), envp.data());
      _exit(127);
    }
    return child;
  }

  struct Finished {
    int exitCode;
    std::string err;
  };

  Finished RunToEnd(const std::vector<std::string>& args) {
    const fs::path errFile = temp / "stderr.txt";
    const int fd = open(errFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    const pid_t child = Start(args, fd);
    close(fd);
    int status = 0;
    waitpid(child, &status, 0);
    return {ExitCode(status), testsupport::ReadBytes(errFile)};
  }

  // The run folders under the working-folder base, the program's own ones.
  std::vector<fs::path> RunFolders() const {
    std::vector<fs::path> folders;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(home / ".cache" / "vellumark", ec)) folders.push_back(entry.path());
    return folders;
  }

  std::vector<std::string> ListFileLines(const char* name) const {
    try {
      return joblist::LoadJobListFile(bin / name);
    } catch (const std::exception&) {
      return {"(missing)"};
    }
  }

  TempFolder temp;
  fs::path bin = temp / "bin";
  fs::path exe = bin / "vellumark-cli";
  fs::path home = temp / "home";
};

// A run whose stderr is a pipe filled to the brim before it starts: its first
// status text, "wait" at the very start of its first job, blocks it there
// until the test reads the pipe. The batch has then written its list files
// and holds the batch lock, and its first job is not done.
class StalledRun {
 public:
  // `start` starts the program with the descriptor it is given as stderr.
  explicit StalledRun(const std::function<pid_t(int)>& start) {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe");
    readEnd_ = fds[0];
    fcntl(fds[1], F_SETFL, O_NONBLOCK);
    const char byte = '.';
    // Bounded by the pipe's capacity (64 KiB by default, 1 MiB at most).
    for (int written = 0; written < (1 << 21) && write(fds[1], &byte, 1) == 1; ++written) {
    }
    fcntl(fds[1], F_SETFL, 0);
    pid_ = start(fds[1]);
    close(fds[1]);
  }
  ~StalledRun() {
    if (pid_ > 0) Kill();
    close(readEnd_);
  }
  StalledRun(const StalledRun&) = delete;
  StalledRun& operator=(const StalledRun&) = delete;

  bool Running() const { return pid_ > 0 && waitpid(pid_, nullptr, WNOHANG) == 0; }

  void Kill() {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }

  // Reads the pipe until the program closes it, then its exit code.
  int Finish() {
    char buffer[4096];
    while (read(readEnd_, buffer, sizeof buffer) > 0) {
    }
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return ExitCode(status);
  }

 private:
  int readEnd_ = -1;
  pid_t pid_ = -1;
};

TEST_F(CliProcessTest, KillDuringTheFirstJobLeavesThisBatchToResumeAndTheNextRunCleansUp) {
  const std::vector<std::string> jobs = {Copy("report.pdf", "docs/一.pdf"), Copy("appendix1.pdf", "docs/二.pdf")};
  const fs::path list = ListFile("jobs.txt", jobs);
  // An earlier batch was interrupted too and left its own resume list.
  joblist::SaveJobListFile(bin / "SaveList.tmp", {"古い.pdf"});

  StalledRun batch([&](int fd) {
    return Start({"batch", "--one-file", platform::PathToUtf8(list)}, fd);
  });
  ASSERT_TRUE(WaitFor([&] { return ListFileLines("SaveList.txt") == jobs || !batch.Running(); }));
  ASSERT_TRUE(batch.Running());
  batch.Kill();

  EXPECT_EQ(ListFileLines("SaveList.tmp"), jobs);
  EXPECT_FALSE(fs::exists(temp / platform::PathFromUtf8("docs/変換済み/一.pdf")));
  // The dead run's working folder is still there, its lock free now.
  EXPECT_EQ(RunFolders().size(), 1u);

  const Finished next = RunToEnd({"convert", "--one-file", jobs[1]});
  EXPECT_EQ(next.exitCode, kExitSuccess) << next.err;
  EXPECT_TRUE(RunFolders().empty());
  EXPECT_EQ(PageCount(temp / platform::PathFromUtf8("docs/変換済み/二.pdf")), PageCount(jobs[1]));
}

TEST_F(CliProcessTest, ASecondRunIsRefusedWhileABatchRunsAndWritesNothing) {
  const std::string first = Copy("report.pdf", "甲/報告書.pdf");
  const std::string second = Copy("appendix1.pdf", "乙/付録.pdf");
  const fs::path firstList = ListFile("first.txt", {first});
  const fs::path secondList = ListFile("second.txt", {second});

  StalledRun batch([&](int fd) {
    return Start({"batch", "--one-file", platform::PathToUtf8(firstList)}, fd);
  });
  ASSERT_TRUE(WaitFor([&] { return ListFileLines("SaveList.txt") == std::vector<std::string>{first} || !batch.Running(); }));
  ASSERT_TRUE(batch.Running());

  for (const std::vector<std::string>& args : {std::vector<std::string>{"convert", "--one-file", second},
                                               std::vector<std::string>{"batch", platform::PathToUtf8(secondList)}}) {
    SCOPED_TRACE(args[0]);
    const Finished refused = RunToEnd(args);
    EXPECT_EQ(refused.exitCode, kExitJobFailed);
    EXPECT_NE(refused.err.find(pipeline::kBatchRunningMessage), std::string::npos) << refused.err;
  }
  // The refused runs touched neither the list files nor any output, and
  // left no working folder beside the running batch's.
  EXPECT_EQ(ListFileLines("SaveList.txt"), std::vector<std::string>{first});
  EXPECT_EQ(ListFileLines("SaveList.tmp"), std::vector<std::string>{first});
  EXPECT_FALSE(fs::exists(temp / platform::PathFromUtf8("乙/変換済み")));
  EXPECT_EQ(RunFolders().size(), 1u);

  EXPECT_EQ(batch.Finish(), kExitSuccess);
  EXPECT_EQ(PageCount(temp / platform::PathFromUtf8("甲/変換済み/報告書.pdf")), PageCount(first));
  // Once the batch is over, the second one runs, on its own pages only.
  const Finished after = RunToEnd({"convert", "--one-file", second});
  EXPECT_EQ(after.exitCode, kExitSuccess) << after.err;
  EXPECT_EQ(PageCount(temp / platform::PathFromUtf8("乙/変換済み/付録.pdf")), PageCount(second));
  EXPECT_TRUE(RunFolders().empty());
}

}  // namespace
}  // namespace vellumark::cli

#include "platform/file_io.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>

#include "platform/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace vellumark::platform {

namespace {

constexpr char kMissing[] = "ファイルがありません";
constexpr char kNotAFile[] = "ファイルではありません";
constexpr char kCannotRead[] = "ファイルを読み込めません";
constexpr char kCannotCreate[] = "ファイルを作成できません（フォルダーに書き込めません）";
constexpr char kCannotWrite[] = "ファイルに書き込めません";
constexpr char kCannotReplace[] = "ファイルを置き換えられません";

unsigned long ProcessId() {
#ifdef _WIN32
  return GetCurrentProcessId();
#else
  return static_cast<unsigned long>(getpid());
#endif
}

// "<name>.tmp-<pid>" in the same folder: the rename then stays within one file
// system, and two running copies of the program do not share a temporary.
std::filesystem::path TemporaryBeside(const std::filesystem::path& path) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, ProcessId());
  std::filesystem::path temporary = path;
  temporary += ".tmp-";
  temporary += std::string(digits, result.ptr);
  return temporary;
}

}  // namespace

std::string ReadFileBytes(const std::filesystem::path& path, std::size_t maxBytes) {
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) throw UserError(path, kMissing);
  if (!std::filesystem::is_regular_file(status)) throw UserError(path, kNotAFile);
  std::ifstream in(path, std::ios::binary);
  if (!in) throw UserError(path, kCannotRead);
  std::string bytes;
  char buffer[8192];
  // Each pass reads at least one byte or ends the loop, so it ends with the
  // file (or at maxBytes).
  while (bytes.size() < maxBytes) {
    const std::size_t wanted = std::min(sizeof buffer, maxBytes - bytes.size());
    in.read(buffer, static_cast<std::streamsize>(wanted));
    const std::streamsize got = in.gcount();
    if (got > 0) bytes.append(buffer, static_cast<std::size_t>(got));
    if (!in) break;
  }
  if (in.bad()) throw UserError(path, kCannotRead);
  return bytes;
}

void ReplaceFileContent(const std::filesystem::path& path, const std::string& bytes) {
  const std::filesystem::path temporary = TemporaryBeside(path);
  std::error_code ignored;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    if (!out) throw UserError(path, kCannotCreate);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
      std::filesystem::remove(temporary, ignored);
      throw UserError(path, kCannotWrite);
    }
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, ignored);
    throw UserError(path, kCannotReplace);
  }
}

}  // namespace vellumark::platform

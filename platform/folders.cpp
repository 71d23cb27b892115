#include "platform/folders.h"

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <shlobj.h>
#include <windows.h>
#else
#include <pwd.h>
#include <unistd.h>

#include <fstream>
#endif

namespace vellumark::platform {

namespace {

// '\\' on Windows, which takes '/' as well; '/' elsewhere.
constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
bool IsSeparator(char c) { return c == kSeparator || c == '/'; }

#ifdef _WIN32

// The folder an environment variable names; empty when it is unset.
std::filesystem::path FolderFromEnvironment(const wchar_t* name) {
  const wchar_t* value = _wgetenv(name);
  return value != nullptr ? std::filesystem::path(value) : std::filesystem::path();
}

std::string WideToUtf8(const wchar_t* wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
  utf8.resize(static_cast<std::size_t>(length) - 1);  // drop the terminator
  return utf8;
}

#else

// The user's home folder: $HOME, else the password database.
std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) return entry->pw_dir;
  return {};
}

// The value of `key` in an xdg-user-dirs file: lines KEY="value" where the
// value is either absolute or starts with $HOME/, and may hold shell escapes.
// Empty when the key is absent or its value has neither form.
std::string ReadUserDir(const std::filesystem::path& file, const std::string& key, const std::string& home) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  std::string found;
  std::string line;
  // The file is a handful of lines; the bound only guards against a file that
  // is not what it claims to be.
  constexpr int kMaxLines = 10000;
  for (int lineNo = 0; lineNo < kMaxLines && std::getline(in, line); ++lineNo) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    if (line.compare(start, key.size() + 1, key + "=") != 0) continue;
    std::string value = line.substr(start + key.size() + 1);
    if (value.size() < 2 || value.front() != '"') continue;
    const std::size_t close = value.rfind('"');
    if (close == 0) continue;
    value = value.substr(1, close - 1);
    std::string unescaped;
    for (std::size_t i = 0; i < value.size(); ++i) {
      if (value[i] == '\\' && i + 1 < value.size()) ++i;
      unescaped += value[i];
    }
    constexpr std::string_view kHomePrefix = "$HOME";
    if (unescaped.compare(0, kHomePrefix.size(), kHomePrefix) == 0 &&
        (unescaped.size() == kHomePrefix.size() || unescaped[kHomePrefix.size()] == '/')) {
      if (home.empty()) continue;
      unescaped = home + unescaped.substr(kHomePrefix.size());
    } else if (unescaped.empty() || unescaped.front() != '/') {
      continue;
    }
    found = unescaped;  // the last assignment wins, as when the shell sources the file
  }
  return found;
}

// The templates folder as xdg-user-dirs records it, else ~/Templates.
std::string XdgTemplatesFolder() {
  const std::string home = HomeFolder();
  std::filesystem::path configHome;
  // A relative $XDG_CONFIG_HOME is to be ignored, like an unset one.
  if (const char* env = std::getenv("XDG_CONFIG_HOME"); env != nullptr && env[0] == '/') {
    configHome = PathFromUtf8(env);
  } else if (!home.empty()) {
    configHome = PathFromUtf8(home) / ".config";
  }
  if (!configHome.empty()) {
    std::string folder = ReadUserDir(configHome / "user-dirs.dirs", "XDG_TEMPLATES_DIR", home);
    if (!folder.empty()) return folder;
  }
  if (home.empty()) return {};
  return AddTrailingBackslash(home) + "Templates";
}

#endif

}  // namespace

std::string NativeSeparator() { return std::string(1, kSeparator); }

std::string TemplatesFolder() {
#ifdef _WIN32
  // The wide call, not SHGetFolderPathA: inside the program every text is
  // UTF-8, and the ANSI call would turn characters outside the code page of
  // the machine (a user name in another script) into "?".
  wchar_t buffer[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_TEMPLATES, nullptr, 0, buffer))) buffer[0] = L'\0';
  return AddTrailingBackslash(WideToUtf8(buffer));
#else
  return AddTrailingBackslash(XdgTemplatesFolder());
#endif
}

std::string AddTrailingBackslash(std::string path) {
  // On Windows "/" ends a folder path as well as "\", so "C:/x/" is left alone.
  if (path.empty() || !IsSeparator(path.back())) path += kSeparator;
  return path;
}

bool MakeSureDirectoryPathExists(const std::string& path) {
  // Everything up to the last separator is a folder; what follows it (a file
  // name, or nothing) is not created.
  std::size_t last = std::string::npos;
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) {
      last = i - 1;
      break;
    }
  }
  if (last == std::string::npos) return true;  // no folder named at all
  std::string folder = path.substr(0, last);
  // "/" and "C:\" name a root, which always exists.
  if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) return true;
  try {
    const std::filesystem::path target = PathFromUtf8(folder);
    std::error_code error;
    std::filesystem::create_directories(target, error);
    if (error) return false;
    return std::filesystem::is_directory(target, error) && !error;
  } catch (...) {
    // Callers rely on this function not throwing (the failure shows when a
    // file in the folder is opened); allocation failure is the only way here.
    return false;
  }
}

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

std::string PathToUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

std::filesystem::path ProgramFolder() {
#ifdef _WIN32
  // Long paths may exceed MAX_PATH; grow the buffer a few times, bounded.
  std::wstring buffer(MAX_PATH, L'\0');
  constexpr int kMaxAttempts = 6;
  for (int attempt = 0; attempt < kMaxAttempts; ++attempt) {
    const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) break;
    if (length < buffer.size()) {
      buffer.resize(length);
      return std::filesystem::path(buffer).parent_path();
    }
    buffer.resize(buffer.size() * 4);
  }
  std::error_code error;
  return std::filesystem::current_path(error);
#else
  std::error_code error;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
  if (!error && !exe.empty()) return exe.parent_path();
  // Without /proc (a chroot, another Unix) the current folder is the best
  // remaining guess; the files placed there are still found on the next run.
  return std::filesystem::current_path(error);
#endif
}

std::filesystem::path UserHomeFolder() {
#ifdef _WIN32
  return FolderFromEnvironment(L"USERPROFILE");
#else
  const std::string home = HomeFolder();
  return home.empty() ? std::filesystem::path() : PathFromUtf8(home);
#endif
}

std::filesystem::path UserConfigFolder() {
#ifdef _WIN32
  return FolderFromEnvironment(L"APPDATA");
#else
  // A relative $XDG_CONFIG_HOME is to be ignored, like an unset one.
  if (const char* env = std::getenv("XDG_CONFIG_HOME"); env != nullptr && env[0] == '/') return PathFromUtf8(env);
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return PathFromUtf8(home) / ".config";
#endif
}

std::filesystem::path UserCacheFolder() {
#ifdef _WIN32
  return FolderFromEnvironment(L"LOCALAPPDATA");
#else
  // A relative $XDG_CACHE_HOME is to be ignored, like an unset one.
  if (const char* env = std::getenv("XDG_CACHE_HOME"); env != nullptr && env[0] == '/') return PathFromUtf8(env);
  const std::string home = HomeFolder();
  if (home.empty()) return {};
  return PathFromUtf8(home) / ".cache";
#endif
}

}  // namespace vellumark::platform

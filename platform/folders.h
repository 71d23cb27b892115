#pragma once
// Special folders, separators and folder creation, with the Windows calls
// behind _WIN32 and their Linux counterparts beside them.
#include <filesystem>
#include <string>

namespace vellumark::platform {

// The native path separator as text: "\\" on Windows, "/" elsewhere.
std::string NativeSeparator();

// The user's templates folder, ending in the native separator: the shell's
// Templates folder on Windows (once asked for as special folder 21); on Linux
// XDG_TEMPLATES_DIR from $XDG_CONFIG_HOME/user-dirs.dirs (default ~/.config),
// else ~/Templates. When the folder cannot be determined the result is the
// separator alone.
std::string TemplatesFolder();

// Ensures the path ends in the native separator; "" becomes the separator.
// The name is kept from the Windows original for readers who know it.
std::string AddTrailingBackslash(std::string path);

// Creates every missing folder up to the last separator of `path`; a last
// component without a separator after it is not created. Returns false when a
// folder could not be created (callers may ignore it: the failure shows when a
// file in it is opened).
bool MakeSureDirectoryPathExists(const std::string& path);

// Turns a UTF-8 path string into a filesystem path without going through the
// narrow locale (which would mangle Japanese names on some systems).
std::filesystem::path PathFromUtf8(const std::string& utf8);
std::string PathToUtf8(const std::filesystem::path& path);

// The folder that holds the running program (no trailing separator).
std::filesystem::path ProgramFolder();

// The user's home folder ($HOME, else the password database; %USERPROFILE% on
// Windows). Empty when it cannot be determined.
std::filesystem::path UserHomeFolder();

// The folder for the user's settings: $XDG_CONFIG_HOME when it is absolute,
// else ~/.config (%APPDATA% on Windows, read as wide characters so a
// Japanese user name survives). Empty when it cannot be determined.
std::filesystem::path UserConfigFolder();

// The folder for the user's disposable files: $XDG_CACHE_HOME when it is
// absolute, else ~/.cache (%LOCALAPPDATA% on Windows). Empty when it cannot be
// determined.
std::filesystem::path UserCacheFolder();

}  // namespace vellumark::platform

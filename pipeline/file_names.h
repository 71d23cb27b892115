#pragma once
// Names of the output files: the one-file output beside the parent, the
// numbered part files, their backups, and the bare file name shown in status
// texts.
#include <filesystem>
#include <string>

namespace vellumark::pipeline {

// The text after the last occurrence of `delimiter`; all of `text` when it
// does not occur (or the delimiter is empty).
std::string GetFileNamePart(const std::string& text, const std::string& delimiter);

// The bare file name of a path, as the status texts show it.
std::string FileNameForStatus(const std::filesystem::path& path);

// "<parent folder>/変換済み/<parent file name>".
std::filesystem::path OutputPathFor(const std::filesystem::path& parentPath);

// Beside `outputPath`: its file name without the last four characters (the
// extension and its dot; a name of four characters or fewer is kept whole),
// "_", the number with at least three digits, ".PDF".
std::filesystem::path PartFileName(const std::filesystem::path& outputPath, int partNumber);

// When `path` exists it becomes the backup: its last three characters are
// replaced by "bak", an older backup of that name is replaced. Throws
// UserError when the rename fails.
void BackUpExistingFile(const std::filesystem::path& path);

// Sets aside, as backups, every part file of `outputPath` an earlier run
// left in the output folder, so that the parts a run writes are never mixed
// with another run's (one that had more parts, or stopped half way).
// Returns how many there were. Throws UserError when one cannot be renamed.
int SetAsideEarlierParts(const std::filesystem::path& outputPath);

// Bound on the entries looked at when scanning the output folder.
inline constexpr int kMaxOutputFolderEntries = 100000;

}  // namespace vellumark::pipeline

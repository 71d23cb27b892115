#pragma once
// A job: the parent PDF and its children, as UTF-8 full paths. This is what
// a conversion takes. The job line (the parent's path, then each child's,
// separated by single TABs, no TAB at the end) is only the form the job list,
// its files and drops carry; it is split once where a job leaves the list.
#include <string>
#include <vector>

namespace vellumark::joblist {

struct Job {
  std::string parent;
  std::vector<std::string> children;
};

// Every field after the first is a child, the last one included.
Job SplitJobLine(const std::string& line);
std::string JoinJobLine(const Job& job);

// Accepted when the last three characters, upper-cased, are "PDF" (no dot
// required: the test looks at those three characters only).
bool IsPdfPath(const std::string& path);

// A TAB separates the files of a job line, so a file whose name holds one
// would come back as two files. Such a name is refused where it enters.
bool HasTabInName(const std::string& path);
inline constexpr const char* kTabInNameMessage = "ファイル名にタブ文字が含まれているため使えません: ";

}  // namespace vellumark::joblist

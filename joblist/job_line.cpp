#include "joblist/job_line.h"

#include <cstddef>

namespace vellumark::joblist {

namespace {
constexpr char kFieldSeparator = '\t';
}

Job SplitJobLine(const std::string& line) {
  Job job;
  std::size_t start = line.find(kFieldSeparator);
  job.parent = line.substr(0, start);
  // Each pass consumes one TAB, so the loop runs once per child field.
  while (start != std::string::npos) {
    const std::size_t next = line.find(kFieldSeparator, start + 1);
    job.children.push_back(line.substr(start + 1, next == std::string::npos ? std::string::npos : next - start - 1));
    start = next;
  }
  return job;
}

std::string JoinJobLine(const Job& job) {
  std::string line = job.parent;
  for (const std::string& child : job.children) {
    line += kFieldSeparator;
    line += child;
  }
  return line;
}

bool IsPdfPath(const std::string& path) {
  // Byte-wise is the same as character-wise here: if any of the last three
  // characters were not ASCII, the last three bytes would include a UTF-8
  // continuation byte and could not spell "PDF".
  if (path.size() < 3) return false;
  constexpr char kUpper[] = "PDF";
  for (std::size_t i = 0; i < 3; ++i) {
    char c = path[path.size() - 3 + i];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != kUpper[i]) return false;
  }
  return true;
}

bool HasTabInName(const std::string& path) { return path.find(kFieldSeparator) != std::string::npos; }

}  // namespace vellumark::joblist

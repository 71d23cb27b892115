// The job-list file reader on arbitrary bytes: it must either return lines
// or throw UserError, and what it returns must survive a save and a reload
// unchanged, since "resume" reads back exactly what the batch saved.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/fuzz_input_file.h"
#include "joblist/job_line.h"
#include "joblist/job_list_file.h"
#include "platform/error.h"

namespace {

using vellumark::fuzz::FuzzInputFile;
namespace joblist = vellumark::joblist;

FuzzInputFile& Input() {
  static FuzzInputFile file("SaveList.txt");
  return file;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> lines;
  try {
    lines = joblist::LoadJobListFile(Input().Write(data, size));
  } catch (const vellumark::platform::UserError&) {
    return 0;  // refused with a message: the expected answer to bad bytes
  }

  for (const std::string& line : lines) {
    // A loaded line never holds the line end that cut it.
    if (line.find('\r') != std::string::npos) std::abort();
    const joblist::Job job = joblist::SplitJobLine(line);
    (void)joblist::IsPdfPath(job.parent);
    for (const std::string& child : job.children) (void)joblist::IsPdfPath(child);
  }

  const auto copy = Input().folder() / "SaveList.tmp";
  try {
    joblist::SaveJobListFile(copy, lines);
  } catch (const vellumark::platform::UserError&) {
    // Text read as CP932 that has no way back into CP932 is refused on the
    // way out, never written damaged.
    return 0;
  }
  if (joblist::LoadJobListFile(copy) != lines) std::abort();
  return 0;
}

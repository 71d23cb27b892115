// The heading list file as the source of a job's headings, and the list in
// the form that file takes.
#include <system_error>

#include "bookmarks/heading_list_file.h"
#include "pipeline/conversion.h"
#include "pipeline/file_names.h"
#include "pipeline/job_steps.h"
#include "pipeline/status_texts.h"

namespace vellumark::pipeline {

bool JobSteps::HeadingsFromListFile() {
  if (!options_.headingListFile) return false;
  const std::filesystem::path file = bookmarks::HeadingListFilePath(parentPath);
  // Anything standing under that name is meant as the list: a folder or an
  // unreadable file fails the job rather than being passed over.
  std::error_code error;
  if (!std::filesystem::exists(std::filesystem::symlink_status(file, error))) return false;
  headings_ = bookmarks::ReadHeadingListFile(file);
  // The file counts pages of the merged document from 1, as the scan does.
  frontPageCount = 0;
  Warn(kWarnHeadingListFile + FileNameForStatus(file));
  return true;
}

bookmarks::HeadingList Conversion::HeadingsOnDocumentPages() const {
  bookmarks::HeadingList list = headings_;
  for (bookmarks::Heading& heading : list) {
    heading = bookmarks::MakeHeading(heading.level, std::move(heading.title), heading.page + frontPageCount_);
  }
  return list;
}

}  // namespace vellumark::pipeline

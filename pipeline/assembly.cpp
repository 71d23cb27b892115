// Assembly of the working document: the blank base page, then every page of
// the parent and of each child in the job line's order.
#include <system_error>

#include "acrobat/blank_template.h"
#include "pipeline/file_names.h"
#include "pipeline/job_steps.h"
#include "pipeline/output_info.h"
#include "pipeline/status_texts.h"
#include "platform/error.h"

namespace vellumark::pipeline {

namespace fs = std::filesystem;

namespace {

void RemoveAllBookmarks(acrobat::Document& document) { document.BookmarkRoot().Remove(); }

// The base files are written only when missing: one left by an interrupted
// job is the same blank page and serves as well.
void WriteTemplateIfMissing(const fs::path& path) {
  std::error_code ec;
  if (!fs::exists(path, ec)) acrobat::WriteTemplatePdf(path);
}

}  // namespace

OpenedDocument::OpenedDocument(acrobat::Engine& engine, const fs::path& path)
    : view_(engine.Open(path)), doc_(&view_->GetPDDoc()) {}

OpenedDocument::~OpenedDocument() {
  if (closed_) return;
  // Only reached when a step failed: the failure already on its way to the
  // batch is the one to report, so a second one from closing is dropped
  // (a destructor must not throw while another exception is in flight).
  try {
    Close();
  } catch (...) {
  }
}

void OpenedDocument::Close() {
  if (closed_) return;
  closed_ = true;
  doc_->Close();
  view_->Close();
}

void JobSteps::OpenAndAssemble() {
  status_.ShowStatus(kStatusOpenFile);
  WriteTemplateIfMissing(files_.defaultPdfPath);
  workingDocument = std::make_unique<OpenedDocument>(engine_, files_.defaultPdfPath);
  filePageCounts.clear();
  RemoveAllBookmarks(workingDocument->doc());
  const acrobat::DocumentInfo parentInfo = AppendPdfFile(parentPath);
  // The children come from the job line itself, so nothing the user does to
  // the child list while the job runs changes what is appended.
  for (const fs::path& child : children) AppendPdfFile(child);
  // The working document opened on the blank base file and has its
  // information; the output shows the parent's instead, with this program
  // as producer and the conversion's date.
  documentInfo = OutputDocumentInfo(parentInfo, parentPath, conversionTime);
  workingDocument->doc().SetDocumentInfo(documentInfo);
}

acrobat::DocumentInfo JobSteps::AppendPdfFile(const fs::path& path) {
  status_.ShowStatus(FileNameForStatus(path));
  // Only a regular file is opened: reading a FIFO or a device would wait
  // for a writer that never comes, or never end.
  std::error_code ec;
  const fs::file_status kind = fs::status(path, ec);
  if (fs::exists(kind) && !fs::is_regular_file(kind)) throw platform::UserError(path, kNotARegularFile);
  const int after = workingDocument->doc().GetNumPages() - 1;
  OpenedDocument source(engine_, path);
  RemoveAllBookmarks(source.doc());
  const int count = source.doc().GetNumPages();
  // Nothing to append is no reason to fail the job, but the user put the
  // file in for its pages and must hear that it had none.
  if (count == 0) Warn(kWarnNoPages + FileNameForStatus(path));
  workingDocument->doc().InsertPages(after, source.doc(), 0, count);
  filePageCounts.push_back(count);
  acrobat::DocumentInfo info = source.doc().GetDocumentInfo();
  source.Close();
  return info;
}

}  // namespace vellumark::pipeline

// How the converted file opens (first page, 100 %, bookmarks pane), the
// removal of the blank base page, and the embedded page thumbnails.
#include <string>

#include "pipeline/file_names.h"
#include "pipeline/job_steps.h"
#include "pipeline/status_texts.h"
#include "platform/error.h"

namespace vellumark::pipeline {

void JobSteps::ApplyOpeningView() {
  status_.ShowStatus(kStatusSetZoom);
  const int lastPage = workingDocument->doc().GetNumPages() - 1;
  // Only the base page: the sources gave no page at all. Deleting it would
  // leave a document without pages, which no later step can work on.
  if (lastPage < 1) throw platform::UserError(parentPath, "ページがありません");
  // The blank base page stands at index 0; moved behind the last page and
  // deleted there, it leaves exactly the parent's and children's pages.
  workingDocument->doc().MovePage(lastPage, 0);
  workingDocument->doc().DeletePages(lastPage, lastPage);
  workingDocument->doc().SetOpeningView(kOpeningView);
}

void JobSteps::ApplyThumbnails() {
  int lastPage = workingDocument->doc().GetNumPages() - 1;
  if (options_.deleteThumbnailsFirst) {
    status_.ShowStatus(kStatusDeleteThumbnails);
    workingDocument->doc().DeleteThumbs(0, lastPage);
  }
  status_.ShowStatus(kStatusMakeThumbnails);
  if (options_.thumbnails == ThumbnailRange::kFirstPage) lastPage = 0;
  // Rendering a long document takes a while: the user sees the pages done.
  const int total = lastPage + 1;
  status_.Progress(0, total);
  const auto skippedPages =
      workingDocument->doc().CreateThumbs(0, lastPage, [this, total](int done) { status_.Progress(done, total); });
  // A page too costly to draw keeps no thumbnail, but the job goes on:
  // the user hears which page it was when the batch ends.
  for (const auto& skipped : skippedPages) {
    Warn(kWarnNoThumbnail + FileNameForStatus(skipped.file) + " " + std::to_string(skipped.filePage) +
         kWarnPageSuffix);
  }
}

}  // namespace vellumark::pipeline

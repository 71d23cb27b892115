// How the converted file opens (first page, 100 %, bookmarks pane), the
// removal of the blank base page, and the embedded page thumbnails.
#include <algorithm>

#include "pipeline/job_steps.h"
#include "pipeline/status_texts.h"
#include "platform/error.h"

namespace vellumark::pipeline {

namespace {
constexpr int kThumbnailRunPages = 32;
constexpr int kThumbnailRuns = 20;
}  // namespace

void JobSteps::ApplyOpeningView() {
  status_.ShowStatus(kStatusSetZoom);
  workAVDoc->view().ZoomTo(kZoomTypeFixed, kZoomPercent);
  workAVDoc->view().SetViewMode(kModeBookmarksPane);
  const int lastPage = workPDDoc->GetNumPages() - 1;
  // Only the base page: the sources gave no page at all. Deleting it would
  // leave a document without pages, which no later step can work on.
  if (lastPage < 1) throw platform::UserError(parentPath, "ページがありません");
  // The blank base page stands at index 0; moved behind the last page and
  // deleted there, it leaves exactly the parent's and children's pages.
  workPDDoc->MovePage(lastPage, 0);
  workPDDoc->DeletePages(lastPage, lastPage);
  workPDDoc->SetPageMode(kModeBookmarksPane);
  workPDDoc->SetOpenInfo(0, kZoomPercent, kModeBookmarksPane);
}

void JobSteps::ApplyThumbnails() {
  int lastPage = workPDDoc->GetNumPages() - 1;
  if (options_.Check1 == 1) {
    status_.ShowStatus(kStatusDeleteThumbnails);
    workPDDoc->DeleteThumbs(0, lastPage);
  }
  status_.ShowStatus(kStatusMakeThumbnails);
  if (options_.fullThumbnail == 1) lastPage = 0;
  // Rendered in runs rather than all at once, so a long document shows its
  // progress. The runs stay long enough for the renderer's workers to share
  // (every run opens the source files again), and at most about twenty of
  // them keep that cost small.
  const int total = lastPage + 1;
  const int run = std::max(kThumbnailRunPages, (total + kThumbnailRuns - 1) / kThumbnailRuns);
  status_.Progress(0, total);
  for (int first = 0; first <= lastPage; first += run) {
    const int last = std::min(lastPage, first + run - 1);
    workPDDoc->CreateThumbs(first, last);
    status_.Progress(last + 1, total);
  }
}

}  // namespace vellumark::pipeline

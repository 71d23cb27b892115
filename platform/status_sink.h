#pragma once
// Progress texts ("wait", "Open file", "Get Bookmark 3/9", …) flow back from
// the core through this one interface. The window puts them in its caption and
// lets pending events run; the command line writes them to stderr.
#include <string>

namespace vellumark::platform {

class StatusSink {
 public:
  virtual ~StatusSink() = default;
  virtual void ShowStatus(const std::string& text) = 0;
  // Something the user must not miss (a part left over the size limit, a
  // page without thumbnail). It still goes by with the progress; a front end
  // that keeps progress on one rewritten line gives it a line of its own.
  // Without a place of their own, warnings show like any status text.
  virtual void Warn(const std::string& text) { ShowStatus(text); }
  // A point where long work hands control back to the user interface without a
  // new text (the split loop does this once per plan entry).
  virtual void Yield() {}
  // Pages done out of `total` during the long page-by-page steps (thumbnails,
  // the heading scan), for a progress bar; a front end without one ignores it.
  virtual void Progress(int /*done*/, int /*total*/) {}
};

// For callers that want no progress at all.
class NullStatusSink final : public StatusSink {
 public:
  void ShowStatus(const std::string&) override {}
};

}  // namespace vellumark::platform

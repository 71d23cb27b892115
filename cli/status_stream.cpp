#include "cli/status_stream.h"

#include "pipeline/status_texts.h"

namespace vellumark::cli {

namespace {

// Back to the line start and clear it, so a shorter text leaves no tail of
// the longer one before it.
constexpr const char* kRewriteLine = "\r\x1b[K";

bool IsWarning(const std::string& text) {
  return text.rfind(pipeline::kWarningMark, 0) == 0;
}

}  // namespace

void StreamStatusSink::ShowStatus(const std::string& text) {
  if (!progressLine_) {
    out_ << text << '\n';
    return;
  }
  out_ << kRewriteLine << text;
  lineOpen_ = true;
  // A warning must survive the next status text.
  if (IsWarning(text)) {
    out_ << '\n';
    lineOpen_ = false;
  }
  out_.flush();
}

void StreamStatusSink::Finish() {
  if (lineOpen_) out_ << '\n';
  lineOpen_ = false;
  out_.flush();
}

}  // namespace vellumark::cli

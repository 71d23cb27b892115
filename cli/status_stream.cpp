#include "cli/status_stream.h"

namespace vellumark::cli {

namespace {

// Back to the line start and clear it, so a shorter text leaves no tail of
// the longer one before it.
constexpr const char* kRewriteLine = "\r\x1b[K";

}  // namespace

void StreamStatusSink::ShowStatus(const std::string& text) {
  if (!progressLine_) {
    out_ << text << '\n';
    return;
  }
  out_ << kRewriteLine << text;
  lineOpen_ = true;
  out_.flush();
}

void StreamStatusSink::Warn(const std::string& text) {
  if (!progressLine_) {
    out_ << text << '\n';
    return;
  }
  // A warning must survive the next status text: it takes the progress
  // line's place and ends it.
  out_ << kRewriteLine << text << '\n';
  lineOpen_ = false;
  out_.flush();
}

void StreamStatusSink::Finish() {
  if (lineOpen_) out_ << '\n';
  lineOpen_ = false;
  out_.flush();
}

}  // namespace vellumark::cli

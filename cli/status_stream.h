#pragma once
// Status texts on a stream: one line each, or, on a terminal, one progress
// line rewritten in place (warnings still get a line of their own).
#include <ostream>
#include <string>

#include "platform/status_sink.h"

namespace vellumark::cli {

class StreamStatusSink final : public platform::StatusSink {
 public:
  StreamStatusSink(std::ostream& out, bool progressLine) : out_(out), progressLine_(progressLine) {}
  void ShowStatus(const std::string& text) override;
  void Warn(const std::string& text) override;
  // Ends a progress line, so what follows starts on a line of its own.
  void Finish();

 private:
  std::ostream& out_;
  bool progressLine_;
  bool lineOpen_ = false;
};

}  // namespace vellumark::cli

#include "pipeline/batch_summary.h"

#include "platform/folders.h"

namespace vellumark::pipeline {

namespace {
constexpr const char* kIndent = "  ";
}  // namespace

std::string BatchSummaryText(const BatchResult& result) {
  std::string text = std::to_string(result.converted) + kSummaryConvertedTail;
  if (!result.outputFolders.empty()) {
    text += '\n';
    text += kSummaryFoldersHeading;
    for (const auto& folder : result.outputFolders) text += '\n' + std::string(kIndent) + platform::PathToUtf8(folder);
  }
  if (!result.warnings.empty()) {
    text += '\n';
    text += kSummaryWarningsHeading;
    for (const std::string& warning : result.warnings) text += '\n' + std::string(kIndent) + warning;
  }
  return text;
}

}  // namespace vellumark::pipeline

#pragma once
// What a finished batch tells the user: how many jobs were converted, the
// "変換済み" folders that received them and the warnings the jobs left. The
// window shows it in its closing message, the command line on stderr, so
// both word it alike.
#include <string>

#include "pipeline/batch.h"

namespace vellumark::pipeline {

inline constexpr const char* kSummaryConvertedTail = " 件のジョブを変換しました。";
inline constexpr const char* kSummaryFoldersHeading = "出力先:";
inline constexpr const char* kSummaryWarningsHeading = "警告があります:";

// "<n> 件のジョブを変換しました。", the output folders one per line under
// "出力先:", then the warnings, if any, under "警告があります:".
std::string BatchSummaryText(const BatchResult& result);

}  // namespace vellumark::pipeline

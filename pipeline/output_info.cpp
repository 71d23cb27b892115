#include "pipeline/output_info.h"

#include <ctime>

#include "platform/folders.h"
#include "platform/utf8.h"

namespace vellumark::pipeline {

namespace {

// A title of nothing but spaces shows as no title in a viewer.
bool IsBlank(const std::string& text) {
  for (char32_t c : platform::ToU32(text)) {
    if (c != U' ' && c != U'\t' && c != U'\r' && c != U'\n' && c != U'\u3000') return false;
  }
  return true;
}

}  // namespace

std::string ProducerText() { return std::string("Vellumark ") + VELLUMARK_PRODUCER_VERSION; }

acrobat::DocumentInfo OutputDocumentInfo(const acrobat::DocumentInfo& parent, const std::filesystem::path& parentPath,
                                         const acrobat::LocalDateTime& now) {
  acrobat::DocumentInfo info;
  info.title = IsBlank(parent.title) ? platform::PathToUtf8(parentPath.stem()) : parent.title;
  info.author = parent.author;
  info.subject = parent.subject;
  info.keywords = parent.keywords;
  info.creator = parent.creator;
  info.producer = ProducerText();
  info.creationDate = now;
  info.modDate = now;
  return info;
}

acrobat::LocalDateTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  acrobat::LocalDateTime when;
  when.year = local.tm_year + 1900;
  when.month = local.tm_mon + 1;
  when.day = local.tm_mday;
  when.hour = local.tm_hour;
  when.minute = local.tm_min;
  // A leap second (60) has no place in either date form.
  when.second = local.tm_sec > 59 ? 59 : local.tm_sec;
  when.utcOffsetMinutes = static_cast<int>(local.tm_gmtoff / 60);
  return when;
}

}  // namespace vellumark::pipeline

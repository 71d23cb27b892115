#pragma once
// The document information of a job's output files: the parent's own
// properties, this program as the producer and the conversion's date. The
// blank base file every output starts from carries a spreadsheet's
// information, which has nothing to do with the report and must not show.
#include <filesystem>
#include <string>

#include "acrobat/document_info.h"

namespace vellumark::pipeline {

// "Vellumark" and the version it was built as.
std::string ProducerText();

// The parent's title, author, subject, keywords and creator; its file name
// without the extension when it has no title. Producer and both dates are
// the conversion's.
acrobat::DocumentInfo OutputDocumentInfo(const acrobat::DocumentInfo& parent, const std::filesystem::path& parentPath,
                                         const acrobat::LocalDateTime& now);

// The local time now, with the machine's offset from UTC.
acrobat::LocalDateTime LocalNow();

}  // namespace vellumark::pipeline

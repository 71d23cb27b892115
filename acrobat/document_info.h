#pragma once
// The document information of a PDF file: what a viewer's document
// properties show (title, author, subject, keywords, the program that made
// the content and the one that wrote the PDF, and the dates). A saved file
// carries it twice, in the /Info dictionary and in the XMP metadata that
// newer readers look at first; both must say the same.
#include <optional>
#include <string>

namespace vellumark::acrobat {

// A moment as a local clock showed it, with that clock's offset from UTC.
struct LocalDateTime {
  int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;
  int utcOffsetMinutes = 0;  // east of Greenwich positive: Japan is +540
  friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Text in UTF-8; an empty text is an entry the file does not have.
struct DocumentInfo {
  std::string title;
  std::string author;
  std::string subject;
  std::string keywords;
  std::string creator;   // the program the content was made with
  std::string producer;  // the program that wrote the PDF
  std::optional<LocalDateTime> creationDate;
  std::optional<LocalDateTime> modDate;
  friend bool operator==(const DocumentInfo&, const DocumentInfo&) = default;
};

// The PDF date form: "D:20261207093005+09'00'", "Z" for UTC.
std::string PdfDateText(const LocalDateTime& when);

// The XMP (ISO 8601) form: "2026-12-07T09:30:05+09:00", "Z" for UTC.
std::string XmpDateText(const LocalDateTime& when);

// A complete, well-formed XMP packet in UTF-8 that states `info`: dc:title,
// dc:creator (the author), dc:description (the subject), pdf:Keywords,
// xmp:CreatorTool, pdf:Producer, xmp:CreateDate and xmp:ModifyDate, each
// only when `info` has it. Text is escaped for XML; characters XML cannot
// hold at all (most control characters) are left out.
std::string XmpPacket(const DocumentInfo& info);

}  // namespace vellumark::acrobat

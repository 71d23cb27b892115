#pragma once
// The blank one-page A4 base file every working and part document starts
// from: PDF 1.4, one page 596 x 842 showing nothing, the Japanese Type0 font
// resource (90msp-RKSJ-H), an open action to page 1 at 100 %, document
// information of its own and an XMP packet repeating it. The conversion
// gives every output the parent's information instead (SetDocumentInfo), so
// the base file's never reaches an output.
#include <filesystem>

namespace vellumark::acrobat {

// Writes the base file to `path` (through a temporary name and a rename).
// Throws PdfError when it cannot be written.
void WriteTemplatePdf(const std::filesystem::path& path);

}  // namespace vellumark::acrobat

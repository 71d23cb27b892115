// The document information of the engine's documents: read from a file's
// /Info dictionary, and written as a fresh /Info dictionary together with an
// XMP packet that says the same, so that a viewer shows the same properties
// whichever of the two it reads.
#include "acrobat/document_info.h"

#include <qpdf/QPDFObjectHandle.hh>

#include <cstdio>
#include <cstdlib>

#include "acrobat/engine_messages.h"
#include "acrobat/qpdf_document.h"
#include "platform/utf8.h"

namespace vellumark::acrobat {

namespace {

// "+09'00'" for the PDF form, "+09:00" for XMP; "Z" at UTC in both.
std::string OffsetText(int offsetMinutes, bool pdfForm) {
  if (offsetMinutes == 0) return "Z";
  const int magnitude = std::abs(offsetMinutes);
  char text[16];
  std::snprintf(text, sizeof text, pdfForm ? "%c%02d'%02d'" : "%c%02d:%02d", offsetMinutes < 0 ? '-' : '+',
                magnitude / 60 % 100, magnitude % 60);
  return text;
}

// XML 1.0 admits TAB, LF and CR as the only control characters, and not the
// two non-characters U+FFFE and U+FFFF; those are dropped. The line breaks
// are written as references, since a parser would turn a literal CR into LF.
std::string EscapeXml(const std::string& utf8) {
  std::u32string kept;
  for (char32_t c : platform::ToU32(utf8)) {
    const bool control = c < 0x20 && c != U'\t' && c != U'\n' && c != U'\r';
    if (control || (c >= 0x7F && c <= 0x9F) || c == 0xFFFE || c == 0xFFFF) continue;
    kept += c;
  }
  std::string out;
  for (char c : platform::ToUtf8(kept)) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      case '\t': out += "&#9;"; break;
      case '\n': out += "&#10;"; break;
      case '\r': out += "&#13;"; break;
      default: out += c;
    }
  }
  return out;
}

void AddProperty(std::string& xmp, const char* name, const std::string& value) {
  if (value.empty()) return;
  xmp += std::string("   <") + name + ">" + EscapeXml(value) + "</" + name + ">\n";
}

// A language alternative (title, description) with the default language only.
void AddAlternative(std::string& xmp, const char* name, const std::string& value) {
  if (value.empty()) return;
  xmp += std::string("   <") + name + "><rdf:Alt><rdf:li xml:lang=\"x-default\">" + EscapeXml(value) +
         "</rdf:li></rdf:Alt></" + name + ">\n";
}

}  // namespace

std::string PdfDateText(const LocalDateTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "D:%04d%02d%02d%02d%02d%02d", when.year % 10000, when.month % 100, when.day % 100,
                when.hour % 100, when.minute % 100, when.second % 100);
  return text + OffsetText(when.utcOffsetMinutes, true);
}

std::string XmpDateText(const LocalDateTime& when) {
  char text[32];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", when.year % 10000, when.month % 100,
                when.day % 100, when.hour % 100, when.minute % 100, when.second % 100);
  return text + OffsetText(when.utcOffsetMinutes, false);
}

std::string XmpPacket(const DocumentInfo& info) {
  std::string xmp =
      "<?xpacket begin=\"\xEF\xBB\xBF\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?>\n"
      "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\">\n"
      " <rdf:RDF xmlns:rdf=\"http://www.w3.org/1999/02/22-rdf-syntax-ns#\">\n"
      "  <rdf:Description rdf:about=\"\"\n"
      "    xmlns:dc=\"http://purl.org/dc/elements/1.1/\"\n"
      "    xmlns:xmp=\"http://ns.adobe.com/xap/1.0/\"\n"
      "    xmlns:pdf=\"http://ns.adobe.com/pdf/1.3/\">\n"
      "   <dc:format>application/pdf</dc:format>\n";
  AddAlternative(xmp, "dc:title", info.title);
  // The author is one text in the PDF; XMP lists authors, here one.
  if (!info.author.empty()) {
    xmp += "   <dc:creator><rdf:Seq><rdf:li>" + EscapeXml(info.author) + "</rdf:li></rdf:Seq></dc:creator>\n";
  }
  AddAlternative(xmp, "dc:description", info.subject);
  AddProperty(xmp, "pdf:Keywords", info.keywords);
  AddProperty(xmp, "xmp:CreatorTool", info.creator);
  AddProperty(xmp, "pdf:Producer", info.producer);
  if (info.creationDate) AddProperty(xmp, "xmp:CreateDate", XmpDateText(*info.creationDate));
  if (info.modDate) {
    AddProperty(xmp, "xmp:ModifyDate", XmpDateText(*info.modDate));
    AddProperty(xmp, "xmp:MetadataDate", XmpDateText(*info.modDate));
  }
  xmp +=
      "  </rdf:Description>\n"
      " </rdf:RDF>\n"
      "</x:xmpmeta>\n"
      "<?xpacket end=\"w\"?>";
  return xmp;
}

namespace detail {

namespace {

// The text entries of the document information and where each lives in the
// struct. Dates are written by the engine, never taken over from a file.
struct TextEntry {
  const char* key;
  std::string DocumentInfo::*field;
};
// A text string every reader decodes alike. Plain ASCII is the same in
// PDFDocEncoding and in the Latin-1 that some readers (poppler-cpp among
// them) assume for a string without byte order mark; above ASCII the two
// part ways (0xA0 is the euro sign in one and a no-break space in the
// other), so any other text goes as UTF-16BE with its byte order mark.
QPDFObjectHandle InfoTextString(const std::string& utf8) {
  for (unsigned char c : utf8) {
    const bool plain = (c >= 0x20 && c <= 0x7E) || c == '\t' || c == '\n' || c == '\r';
    if (!plain) return MakeTextString(utf8);
  }
  return QPDFObjectHandle::newString(utf8);
}

constexpr TextEntry kTextEntries[] = {
    {"/Title", &DocumentInfo::title},       {"/Author", &DocumentInfo::author},
    {"/Subject", &DocumentInfo::subject},   {"/Keywords", &DocumentInfo::keywords},
    {"/Creator", &DocumentInfo::creator},   {"/Producer", &DocumentInfo::producer},
};

}  // namespace

DocumentInfo RealDocument::GetDocumentInfo() const {
  DocumentInfo info;
  try {
    auto dictionary = qpdf_.getTrailer().getKey("/Info");
    if (!dictionary.isDictionary()) return info;
    for (const TextEntry& entry : kTextEntries) {
      auto value = dictionary.getKey(entry.key);
      // PDFDocEncoding or UTF-16 (with its byte order mark), as the file has
      // it: QPDF turns either into UTF-8. Anything but a string is no text.
      if (value.isString()) info.*entry.field = value.getUTF8Value();
    }
  } catch (const std::exception&) {
    // Information QPDF cannot read (a broken object) is information the file
    // does not have; the pages are what the conversion needs of it.
    return DocumentInfo{};
  }
  return info;
}

void RealDocument::SetDocumentInfo(const DocumentInfo& info) {
  CheckOpen();
  // The same information again (a part measured, then saved) is already
  // in place.
  if (documentInfo_ == info) return;
  try {
    WriteDocumentInfo(info);
  } catch (const std::exception&) {
    documentInfo_.reset();
    throw PdfError(file_->path(), kCannotSave);
  }
  documentInfo_ = info;
}

void RealDocument::WriteDocumentInfo(const DocumentInfo& info) {
  auto dictionary = QPDFObjectHandle::newDictionary();
  for (const TextEntry& entry : kTextEntries) {
    const std::string& text = info.*entry.field;
    if (!text.empty()) dictionary.replaceKey(entry.key, InfoTextString(text));
  }
  if (info.creationDate) {
    dictionary.replaceKey("/CreationDate", QPDFObjectHandle::newString(PdfDateText(*info.creationDate)));
  }
  if (info.modDate) dictionary.replaceKey("/ModDate", QPDFObjectHandle::newString(PdfDateText(*info.modDate)));
  // The file's own information object and XMP stream (the blank base file
  // has both) take the new content and keep their object numbers: the saved
  // bytes then do not depend on how many pages had been copied in when the
  // information was set, so a part measured in one save and written in
  // another comes out the same. The base file's own information is gone.
  auto trailer = qpdf_.getTrailer();
  auto existing = trailer.getKey("/Info");
  if (existing.isIndirect() && existing.isDictionary()) {
    qpdf_.replaceObject(existing.getObjGen(), dictionary);
  } else {
    trailer.replaceKey("/Info", qpdf_.makeIndirectObject(dictionary));
  }
  auto root = qpdf_.getRoot();
  auto metadata = root.getKey("/Metadata");
  if (!metadata.isStream()) {
    metadata = QPDFObjectHandle::newStream(&qpdf_);
    root.replaceKey("/Metadata", metadata);
  }
  // No filter: XMP readers scan a file for the packet as it stands.
  metadata.replaceStreamData(XmpPacket(info), QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull());
  metadata.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/Metadata"));
  metadata.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/XML"));
}

}  // namespace detail

}  // namespace vellumark::acrobat

#pragma once
// For tests: the document properties of a written PDF as independent readers
// see them: QPDF for the /Info dictionary (decoded and as stored), poppler
// for what a viewer's properties dialog shows, libxml2 for the XMP packet.
#include <poppler/cpp/poppler-document.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <ctime>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/xmp_reader.h"

namespace vellumark::testsupport {

struct PdfProperties {
  std::map<std::string, std::string> info;     // /Info text entries by key ("/Title"), QPDF-decoded
  std::map<std::string, std::string> stored;   // the same strings as the file stores them
  std::map<std::string, std::string> poppler;  // poppler's info_key by name ("Title")
  std::time_t popplerCreationDate = 0;         // poppler's reading of the dates, UTC
  std::time_t popplerModDate = 0;
  std::string xmpPacket;                                  // the catalog's /Metadata, as QPDF reads it
  std::string popplerXmpPacket;                           // the same, as poppler reads it
  std::optional<std::map<std::string, std::string>> xmp;  // nullopt: missing or not well-formed
  std::string allText;  // every string and every decodable stream of the file, one after another
};

// Every string of the file (UTF-8) and the decoded data of every stream
// that can be decoded: whatever the file could show anyone.
inline std::string AllTextOf(QPDF& pdf) {
  std::string all;
  for (auto& object : pdf.getAllObjects()) {
    // Direct objects below an indirect one form finite trees; the depth
    // bound is only a guard.
    std::vector<std::pair<QPDFObjectHandle, int>> pending{{object, 0}};
    while (!pending.empty()) {
      auto [item, depth] = pending.back();
      pending.pop_back();
      if (depth > 64) continue;
      if (item.isString()) {
        all += item.getUTF8Value() + "\n";
      } else if (item.isStream()) {
        try {
          auto data = item.getStreamData(qpdf_dl_generalized);
          all.append(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
          all += "\n";
        } catch (const std::exception&) {
          // Image codecs QPDF does not decode hold no text.
        }
        pending.emplace_back(item.getDict(), depth + 1);
      } else if (item.isArray()) {
        for (auto& child : item.getArrayAsVector()) {
          if (!child.isIndirect()) pending.emplace_back(child, depth + 1);
        }
      } else if (item.isDictionary()) {
        for (auto& entry : item.getDictAsMap()) {
          QPDFObjectHandle child = entry.second;
          if (!child.isIndirect()) pending.emplace_back(child, depth + 1);
        }
      }
    }
  }
  return all;
}

inline PdfProperties ReadPdfProperties(const std::filesystem::path& file) {
  PdfProperties properties;
  QPDF pdf;
  pdf.processFile(file.string().c_str());
  auto info = pdf.getTrailer().getKey("/Info");
  if (info.isDictionary()) {
    for (auto [key, value] : info.getDictAsMap()) {
      if (!value.isString()) continue;
      properties.info[key] = value.getUTF8Value();
      properties.stored[key] = value.getStringValue();
    }
  }
  auto metadata = pdf.getRoot().getKey("/Metadata");
  if (metadata.isStream()) {
    auto data = metadata.getStreamData(qpdf_dl_generalized);
    properties.xmpPacket.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    properties.xmp = ReadXmpProperties(properties.xmpPacket);
  }
  properties.allText = AllTextOf(pdf);

  std::unique_ptr<poppler::document> doc(poppler::document::load_from_file(file.string()));
  if (doc) {
    for (const char* key : {"Title", "Author", "Subject", "Keywords", "Creator", "Producer"}) {
      const auto utf8 = doc->info_key(key).to_utf8();
      if (!utf8.empty()) properties.poppler[key] = std::string(utf8.begin(), utf8.end());
    }
    properties.popplerCreationDate = doc->info_date_t("CreationDate");
    properties.popplerModDate = doc->info_date_t("ModDate");
    // poppler-cpp hands the packet's bytes over one per character.
    for (const auto unit : doc->metadata()) properties.popplerXmpPacket += static_cast<char>(unit);
  }
  return properties;
}

}  // namespace vellumark::testsupport

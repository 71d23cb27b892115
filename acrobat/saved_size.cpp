// A lower bound on what a save of a document writes, found without saving:
// the stored bytes of the streams the writer copies unchanged. A size test
// whose answer this bound already gives ("over the limit") needs no save.
#include <qpdf/Pl_Count.hh>
#include <qpdf/Pl_Discard.hh>

#include <array>
#include <set>
#include <string_view>
#include <vector>

#include "acrobat/qpdf_document.h"

namespace vellumark::acrobat::detail {

namespace {

// Filters QPDF's writer never decodes as the engine configures it (streams
// compressed, generalized decoding only): lossy and specialised image
// codecs. A stream using any of them is written with its stored bytes.
constexpr std::array<std::string_view, 8> kNeverDecoded = {
    "/DCTDecode", "/DCT", "/JPXDecode", "/JBIG2Decode", "/CCITTFaxDecode", "/CCF", "/RunLengthDecode", "/RL",
};

bool IsNeverDecoded(QPDFObjectHandle filter) {
  if (!filter.isName()) return false;
  const std::string name = filter.getName();
  for (const auto never : kNeverDecoded) {
    if (name == never) return true;
  }
  return false;
}

// Whether the writer copies the stream's stored bytes as they are. Only
// cases that hold for certain count; any other stream is re-encoded by the
// writer, to a length nobody knows before the save, and counts nothing.
bool WrittenAsStored(QPDFObjectHandle stream) {
  auto dict = stream.getDict();
  // XMP metadata may be written decoded (the document's own always is).
  if (dict.getKey("/Type").isNameAndEquals("/Metadata")) return false;
  auto filter = dict.getKey("/Filter");
  if (filter.isName() && (filter.getName() == "/FlateDecode" || filter.getName() == "/Fl")) {
    // Already Flate-compressed data is not compressed again, except a
    // stream that declares no data at all, which is written decoded.
    auto length = dict.getKey("/Length");
    return !(length.isInteger() && length.getIntValue() == 0);
  }
  if (IsNeverDecoded(filter)) return true;
  if (filter.isArray()) {
    for (auto& item : filter.getArrayAsVector()) {
      if (IsNeverDecoded(item)) return true;
    }
  }
  return false;
}

// The bytes the writer copies for the stream: its stored data as QPDF
// hands it over undecoded (decrypted, if the source was encrypted).
long long StoredLength(QPDFObjectHandle stream) {
  Pl_Discard discard;
  Pl_Count count("stored length", &discard);
  try {
    bool filtered = false;
    if (!stream.pipeStreamData(&count, &filtered, 0, qpdf_dl_none, true, false)) return 0;
  } catch (const std::exception&) {
    // Data QPDF cannot read is a matter for the save; here it counts for
    // nothing, which keeps the bound a bound.
    return 0;
  }
  return static_cast<long long>(count.getCount());
}

}  // namespace

// Everything reachable from the page dictionary is written with the page,
// except what a save replaces (the parent, the link annotations) and what
// belongs to another page: a copy of the page does not cross into other
// pages either. The walk visits each indirect object once; direct objects
// form finite trees, so it ends.
const std::vector<QPDFObjGen>& RealDocument::StoredStreamsOf(const PageEntry& entry) const {
  if (entry.storedStreams) return *entry.storedStreams;
  auto streams = std::make_shared<std::vector<QPDFObjGen>>();
  std::set<QPDFObjGen> visited;
  std::vector<QPDFObjectHandle> pending;
  QPDFObjectHandle page = entry.page;
  for (const auto& [key, value] : page.getDictAsMap()) {
    if (key != "/Parent" && key != "/Annots") pending.push_back(value);
  }
  visited.insert(page.getObjGen());
  while (!pending.empty()) {
    QPDFObjectHandle object = pending.back();
    pending.pop_back();
    if (object.isIndirect() && !visited.insert(object.getObjGen()).second) continue;
    if (object.isStream()) {
      if (WrittenAsStored(object)) {
        const auto og = object.getObjGen();
        if (!storedLengths_.count(og)) storedLengths_[og] = StoredLength(object);
        streams->push_back(og);
      }
      object = object.getDict();
    }
    if (object.isArray()) {
      for (auto& item : object.getArrayAsVector()) pending.push_back(item);
    } else if (object.isDictionary()) {
      auto type = object.getKey("/Type");
      if (type.isNameAndEquals("/Page") || type.isNameAndEquals("/Pages")) continue;
      for (const auto& [key, value] : object.getDictAsMap()) pending.push_back(value);
    }
  }
  entry.storedStreams = std::move(streams);
  return *entry.storedStreams;
}

long long RealDocument::SavedSizeLowerBound() const {
  if (closed_) return 0;
  // A stream shared by several pages (a font, a logo) is written once.
  std::set<QPDFObjGen> counted;
  long long total = 0;
  for (const auto& entry : pages_) {
    // The file's own pages lose their unused resources when the first page
    // is copied out of it; until then what they carry is not certain to
    // stay, and counts nothing.
    if (entry.origin == file_ && !file_->preparedForCopy()) continue;
    for (const auto& og : StoredStreamsOf(entry)) {
      if (counted.insert(og).second) total += storedLengths_.at(og);
    }
  }
  return total;
}

}  // namespace vellumark::acrobat::detail

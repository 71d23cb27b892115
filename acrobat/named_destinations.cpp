// Named destinations, looked up without trusting the file's structure: the
// name tree is walked once, with a visited set and bounds, instead of
// following /Kids wherever they lead.
#include "acrobat/qpdf_document.h"

namespace vellumark::acrobat::detail {

namespace {

// Name trees of real files are two or three levels deep; entries beyond the
// cap would only ever be reached by a file built to exhaust memory.
constexpr int kMaxNameTreeDepth = 32;
constexpr std::size_t kMaxNameTreeEntries = 1'000'000;

}  // namespace

NamedDestinations::NamedDestinations(QPDF& pdf) : pdf_(pdf) {}

void NamedDestinations::ReadTree() {
  treeRead_ = true;
  auto names = pdf_.getRoot().getKey("/Names");
  if (!names.isDictionary()) return;
  std::set<QPDFObjGen> visited;
  std::vector<std::pair<QPDFObjectHandle, int>> pending{{names.getKey("/Dests"), 0}};
  while (!pending.empty() && tree_.size() < kMaxNameTreeEntries) {
    auto [node, depth] = pending.back();
    pending.pop_back();
    if (!node.isDictionary() || depth > kMaxNameTreeDepth) continue;
    if (node.isIndirect() && !visited.insert(node.getObjGen()).second) continue;
    if (auto pairs = node.getKey("/Names"); pairs.isArray()) {
      const int n = pairs.getArrayNItems();
      for (int i = 0; i + 1 < n && tree_.size() < kMaxNameTreeEntries; i += 2) {
        auto key = pairs.getArrayItem(i);
        // The first entry under a name wins, as a reader searching the
        // sorted tree would find it.
        if (key.isString()) tree_.emplace(key.getStringValue(), pairs.getArrayItem(i + 1));
      }
    }
    if (auto kids = node.getKey("/Kids"); kids.isArray()) {
      const int n = kids.getArrayNItems();
      // Pushed in reverse, so the leftmost kid is read first.
      for (int i = n - 1; i >= 0; --i) pending.emplace_back(kids.getArrayItem(i), depth + 1);
    }
  }
}

QPDFObjectHandle NamedDestinations::Resolve(QPDFObjectHandle name) {
  QPDFObjectHandle found = QPDFObjectHandle::newNull();
  if (name.isName()) {
    // The older form: a dictionary of the catalog, keyed by name.
    auto dests = pdf_.getRoot().getKey("/Dests");
    if (dests.isDictionary()) found = dests.getKey(name.getName());
  } else if (name.isString()) {
    if (!treeRead_) ReadTree();
    if (auto it = tree_.find(name.getStringValue()); it != tree_.end()) found = it->second;
  }
  if (found.isDictionary()) found = found.getKey("/D");
  return found;
}

}  // namespace vellumark::acrobat::detail

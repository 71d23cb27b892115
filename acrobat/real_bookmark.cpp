// The bookmark tree of a document: held in memory while the pipeline builds
// it, written into /Outlines when the document is saved.
#include <algorithm>
#include <functional>
#include <set>

#include "acrobat/qpdf_document.h"
#include "platform/codepage.h"
#include "platform/error.h"

namespace vellumark::acrobat::detail {

namespace {

// Deep enough for any real outline; a deeper one is cut rather than let a
// malformed file recurse without end.
constexpr int kMaxOutlineDepth = 32;
// Far more bookmarks than any document has; a file claiming more is built
// to exhaust memory.
constexpr std::size_t kMaxOutlineItems = 100'000;

}  // namespace

void RealBookmark::Remove() {
  if (parent_ == nullptr) {
    children_.clear();
  } else {
    // The object stays (callers may still hold it) but no longer counts as
    // a child, nor is it written.
    removed_ = true;
    children_.clear();
  }
  document_.OutlineChanged();
}

Bookmark& RealBookmark::CreateChild(const std::string& title, const std::string& action, int position,
                                    int targetPage) {
  auto node = std::make_unique<RealBookmark>(document_, this);
  node->title_ = title;
  node->action_ = action;
  // The target is held as the page object, so it stays right when pages
  // are moved or deleted afterwards. A target outside the document (forced
  // creation) has none and jumps by its JavaScript alone.
  if (targetPage >= 0 && targetPage < document_.GetNumPages()) node->targetPage_ = document_.PageAt(targetPage);

  return Insert(std::move(node), position);
}

Bookmark& RealBookmark::CreateRemoteChild(const std::string& title, const std::string& fileName, int position,
                                          int targetPage) {
  auto node = std::make_unique<RealBookmark>(document_, this);
  node->title_ = title;
  node->remoteFile_ = fileName;
  node->remotePage_ = targetPage;
  return Insert(std::move(node), position);
}

Bookmark& RealBookmark::Insert(std::unique_ptr<RealBookmark> node, int position) {
  // `position` is 1-based among the live children; past the end appends.
  auto& children = children_;
  auto at = children.end();
  int live = 0;
  for (auto it = children.begin(); it != children.end(); ++it) {
    if ((*it)->removed_) continue;
    if (++live >= position) {
      at = it;
      break;
    }
  }
  RealBookmark& created = **children.insert(at, std::move(node));
  document_.OutlineChanged();
  return created;
}

std::vector<Bookmark*> RealBookmark::children() {
  std::vector<Bookmark*> out;
  for (auto& child : children_) {
    if (!child->removed_) out.push_back(child.get());
  }
  return out;
}

// --- reading the file's own outline -----------------------------------------

void RealDocument::LoadOutline() {
  auto outlines = qpdf_.getRoot().getKey("/Outlines");
  if (!outlines.isDictionary()) return;
  NamedDestinations names(qpdf_);
  // The file's /First and /Next links are followed by hand: they may loop
  // (an item whose /Next is itself, two items pointing at each other) or
  // share items between branches. Every item is read at most once, the
  // depth and the number of items are capped, so the walk ends and its
  // result stays a tree.
  std::set<QPDFObjGen> visited;
  std::size_t items = 0;
  auto readItem = [&](RealBookmark& node, QPDFObjectHandle item) {
    auto title = item.getKey("/Title");
    node.title_ = title.isString() ? title.getUTF8Value() : std::string();
    QPDFObjectHandle dest = item.getKey("/Dest");
    auto action = item.getKey("/A");
    if (dest.isNull() && action.isDictionary() && action.getKey("/S").isNameAndEquals("/GoTo")) {
      dest = action.getKey("/D");
    }
    if (dest.isName() || dest.isString()) dest = names.Resolve(dest);
    if (dest.isArray() && dest.getArrayNItems() > 0) {
      node.loadedDest_ = dest;
    } else if (action.isDictionary() && !action.getKey("/S").isNameAndEquals("/GoTo")) {
      node.loadedAction_ = action;
    }
  };
  std::function<void(RealBookmark&, QPDFObjectHandle, int)> readChildren = [&](RealBookmark& parent,
                                                                               QPDFObjectHandle first, int depth) {
    for (auto item = first; item.isDictionary() && items < kMaxOutlineItems; item = item.getKey("/Next")) {
      if (item.isIndirect() && !visited.insert(item.getObjGen()).second) break;
      ++items;
      auto child = std::make_unique<RealBookmark>(*this, &parent);
      readItem(*child, item);
      if (depth < kMaxOutlineDepth) readChildren(*child, item.getKey("/First"), depth + 1);
      parent.children_.push_back(std::move(child));
    }
  };
  readChildren(root_, outlines.getKey("/First"), 1);
  if (root_.children_.empty()) return;
  // Written anew at the first save, so that items pointing at pages that
  // left the document lose their jump rather than drag the page along.
  outlineDirty_ = true;
}

// --- writing ------------------------------------------------------------------

void RealDocument::WriteOutline() {
  if (!outlineDirty_) return;
  outlineDirty_ = false;
  auto catalog = qpdf_.getRoot();

  // Every viewer follows a /GoTo; viewers that run JavaScript then also run
  // the action text, which does the same (page and 100 %).
  auto actionOf = [&](const RealBookmark& node) -> QPDFObjectHandle {
    QPDFObjectHandle script;
    if (!node.action_.empty()) {
      script = QPDFObjectHandle::newDictionary();
      script.replaceKey("/S", QPDFObjectHandle::newName("/JavaScript"));
      script.replaceKey("/JS", QPDFObjectHandle::newString(node.action_));
    }
    if (IndexOfPage(node.targetPage_) >= 0) {
      auto go = QPDFObjectHandle::newDictionary();
      go.replaceKey("/S", QPDFObjectHandle::newName("/GoTo"));
      go.replaceKey("/D", QPDFObjectHandle::newArray({node.targetPage_, QPDFObjectHandle::newName("/XYZ"),
                                                      QPDFObjectHandle::newNull(), QPDFObjectHandle::newNull(),
                                                      QPDFObjectHandle::newInteger(1)}));
      if (script.isInitialized()) go.replaceKey("/Next", script);
      return go;
    }
    return script;  // uninitialised when there is neither
  };

  // A link into another part of the same delivery: a remote go-to with the
  // bare file name, so it still works once the folder is moved or burnt to a
  // disc. No JavaScript goes with it: "this.pageNum" would move within the
  // file the reader is in. /UF carries the name for every reader that knows
  // Unicode names; /F the same name in the system code page of the Japanese
  // Windows readers the delivery is made for, or in UTF-8 when that code page
  // cannot carry it.
  auto remoteActionOf = [&](const RealBookmark& node) {
    auto fileEntry = QPDFObjectHandle::newDictionary();
    fileEntry.replaceKey("/Type", QPDFObjectHandle::newName("/Filespec"));
    std::string bytes;
    try {
      bytes = platform::Utf8ToCp932(node.remoteFile_);
    } catch (const platform::UserError&) {
      bytes = node.remoteFile_;
    }
    fileEntry.replaceKey("/F", QPDFObjectHandle::newString(bytes));
    fileEntry.replaceKey("/UF", MakeTextString(node.remoteFile_));
    auto go = QPDFObjectHandle::newDictionary();
    go.replaceKey("/S", QPDFObjectHandle::newName("/GoToR"));
    go.replaceKey("/F", fileEntry);
    // In a remote destination the page is a number, counted from 0.
    go.replaceKey("/D", QPDFObjectHandle::newArray({QPDFObjectHandle::newInteger(node.remotePage_),
                                                    QPDFObjectHandle::newName("/XYZ"), QPDFObjectHandle::newNull(),
                                                    QPDFObjectHandle::newNull(), QPDFObjectHandle::newInteger(1)}));
    go.replaceKey("/NewWindow", QPDFObjectHandle::newBool(false));
    return go;
  };

  // Returns the number of items written at this level. Bounded by the tree,
  // which LoadOutline and CreateChild keep finite and acyclic.
  std::function<int(RealBookmark&, QPDFObjectHandle)> writeLevel = [&](RealBookmark& parent,
                                                                       QPDFObjectHandle parentObj) {
    QPDFObjectHandle previous;
    QPDFObjectHandle first;
    int count = 0;
    for (auto& child : parent.children_) {
      if (child->removed_) continue;
      auto item = qpdf_.makeIndirectObject(QPDFObjectHandle::newDictionary());
      item.replaceKey("/Title", MakeTextString(child->title_));
      item.replaceKey("/Parent", parentObj);
      if (child->loadedDest_.isInitialized()) {
        auto items = child->loadedDest_.getArrayAsVector();
        if (IndexOfPage(items[0]) >= 0) item.replaceKey("/Dest", QPDFObjectHandle::newArray(items));
      } else if (!child->remoteFile_.empty()) {
        item.replaceKey("/A", remoteActionOf(*child));
      } else if (child->loadedAction_.isInitialized()) {
        item.replaceKey("/A", child->loadedAction_);
      } else if (auto action = actionOf(*child); action.isInitialized()) {
        item.replaceKey("/A", action);
      }
      if (previous.isInitialized()) {
        previous.replaceKey("/Next", item);
        item.replaceKey("/Prev", previous);
      } else {
        first = item;
      }
      const int kids = writeLevel(*child, item);
      // Written closed: the pane opens on the chapters, as a long report
      // is read; a negative count is the number of hidden children.
      if (kids > 0) item.replaceKey("/Count", QPDFObjectHandle::newInteger(-kids));
      previous = item;
      ++count;
    }
    if (count > 0) {
      parentObj.replaceKey("/First", first);
      parentObj.replaceKey("/Last", previous);
    }
    return count;
  };

  auto outlines = qpdf_.makeIndirectObject(QPDFObjectHandle::newDictionary());
  outlines.replaceKey("/Type", QPDFObjectHandle::newName("/Outlines"));
  const int top = writeLevel(root_, outlines);
  if (top == 0) {
    catalog.removeKey("/Outlines");
    return;
  }
  // With every item closed, the visible items are the top level.
  outlines.replaceKey("/Count", QPDFObjectHandle::newInteger(top));
  catalog.replaceKey("/Outlines", outlines);
}

}  // namespace vellumark::acrobat::detail

#pragma once
// Test helpers of the bookmark engine: a bookmark tree written as one line,
// and a status sink that keeps what it was shown.
#include <string>
#include <vector>

#include "bookmarks/bookmark_tree.h"
#include "platform/status_sink.h"
#include "tests/support/fake_engine.h"

namespace vellumark::bookmarks::testing {

// "表紙@0 | 第1章@2{1.1@2 | 1.2@3}": title, target page index, children in
// braces; a link into another file reads "第3章@A_003.PDF#4". A bookmark
// whose action does not jump to its own target page (or a link into another
// file with any script at all) is marked "!action", so every comparison
// also checks the actions.
inline std::string Outline(const std::vector<testsupport::BookmarkNode>& nodes) {
  std::string out;
  for (std::size_t k = 0; k < nodes.size(); ++k) {
    const auto& node = nodes[k];
    if (k > 0) out += " | ";
    if (node.remoteFile.empty()) {
      out += node.title + "@" + std::to_string(node.targetPage);
      if (node.action != MakeBookmarkAction(node.targetPage)) out += "!action";
    } else {
      out += node.title + "@" + node.remoteFile + "#" + std::to_string(node.targetPage);
      if (!node.action.empty()) out += "!action";
    }
    if (!node.children.empty()) out += "{" + Outline(node.children) + "}";
  }
  return out;
}

inline std::string Outline(const testsupport::FakeDocument& doc) { return Outline(doc.Snapshot().bookmarks); }

class RecordingSink final : public platform::StatusSink {
 public:
  void ShowStatus(const std::string& text) override { texts.push_back(text); }
  std::vector<std::string> texts;
};

// Page text as the engine delivers it: every line ended by CR.
inline std::string PageText(const std::vector<std::string>& lines) {
  std::string text;
  for (const auto& line : lines) text += line + "\r";
  return text;
}

}  // namespace vellumark::bookmarks::testing

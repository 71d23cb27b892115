// Opens arbitrary bytes as a PDF through the real engine and reads what the
// heading recognisers and the bookmark builder read of a sent file: the page
// count, each page's text and the file's own outline. Any input must end in
// a document or a PdfError, within the time and memory limits the fuzz run
// sets.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "acrobat/engine.h"
#include "acrobat/real_engine.h"
#include "fuzz/fuzz_input_file.h"
#include "platform/error.h"

namespace {

using vellumark::fuzz::FuzzInputFile;
namespace acrobat = vellumark::acrobat;

// Page texts read per input: enough to reach the contents page and a few
// chapters, few enough that one input stays a fraction of a second on a
// file that claims a huge page count.
constexpr int kMaxPagesRead = 16;
// The outline walk here is bounded on its own: the engine's tree must be
// finite, and a bug there should show as this abort, not as a hang.
constexpr std::size_t kMaxOutlineItems = 100000;

FuzzInputFile& Input() {
  static FuzzInputFile file("input.pdf");
  return file;
}

void WalkOutline(acrobat::Bookmark& node, std::size_t& seen) {
  for (acrobat::Bookmark* child : node.children()) {
    if (++seen > kMaxOutlineItems) std::abort();
    (void)child->title();
    WalkOutline(*child, seen);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::unique_ptr<acrobat::Engine> engine = acrobat::MakeRealEngine();
  try {
    auto view = engine->Open(Input().Write(data, size));
    acrobat::Document& doc = view->GetPDDoc();
    const int pages = doc.GetNumPages();
    if (pages < 0) std::abort();
    for (int i = 0; i < pages && i < kMaxPagesRead; ++i) (void)doc.ReadPageText(i);
    std::size_t seen = 0;
    WalkOutline(doc.BookmarkRoot(), seen);
    view->Close();
  } catch (const vellumark::platform::UserError&) {
    // Refused with a message naming the file: the right end for bad input.
  }
  return 0;
}

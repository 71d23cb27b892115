// Files built to hang or exhaust a reader: the engine opens, reads and
// draws them within fixed bounds, or refuses them with a message naming
// the file.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <chrono>
#include <functional>

#include "acrobat/engine_messages.h"
#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/hostile_pdfs.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

namespace fs = std::filesystem;
using testing::SavedPdf;
using testsupport::HostilePdfs;
using testsupport::TempFolder;
using testsupport::Watchdog;
using namespace std::chrono_literals;

// Depth-first, with the depth in front, as the poppler reader lists them.
void Titles(Bookmark& node, int depth, std::vector<std::string>& out) {
  for (auto* child : node.children()) {
    out.push_back(std::to_string(depth) + ":" + child->title());
    Titles(*child, depth + 1, out);
  }
}

std::vector<std::string> Titles(Bookmark& root) {
  std::vector<std::string> out;
  Titles(root, 0, out);
  return out;
}

// The failure a call raised, as the user would read it; "" if none.
std::string FailureOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const PdfError& e) {
    return e.what();
  }
  return "";
}

// The most memory this process has held so far.
long PeakResidentKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

std::string Expected(const fs::path& file, const char* reason) { return file.string() + ": " + reason; }

// A crafted file, built into a folder of its own and opened with the real
// engine; what the engine writes back goes beside it.
struct OpenedCraft {
  explicit OpenedCraft(void (*build)(const fs::path&)) {
    build(file);
    view = engine->Open(file);
  }
  Document& doc() { return view->GetPDDoc(); }
  fs::path Saved() {
    doc().Save(folder / "out.pdf");
    return folder / "out.pdf";
  }

  TempFolder folder;
  fs::path file = folder / "in.pdf";
  std::unique_ptr<Engine> engine = MakeRealEngine();
  std::unique_ptr<View> view;
};

struct LoopCase {
  const char* name;
  void (*build)(const fs::path&);
  std::vector<std::string> titles;
};

TEST(HostileInput, LoopingStructuresAreReadOnceAndSavedAsTrees) {
  const LoopCase cases[] = {
      {"outline item whose /Next is itself", HostilePdfs::OutlineItemNextIsItself, {"0:A"}},
      {"outline items in a circle", HostilePdfs::OutlineItemsInACircle, {"0:A", "0:B", "1:C"}},
      {"name tree whose kid is itself", HostilePdfs::NameTreeKidIsItself, {}},
      {"page label tree naming each kid twice, forty deep", HostilePdfs::PageLabelKidsRepeatEachOther, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Watchdog watchdog(60s, c.name);
    OpenedCraft craft(c.build);
    auto& doc = craft.doc();
    EXPECT_EQ(Titles(doc.BookmarkRoot()), c.titles);
    const fs::path out = craft.Saved();
    ASSERT_TRUE(testing::QpdfCheckPasses(out));
    EXPECT_EQ(testing::PopplerOutline(out), c.titles);
  }
}

TEST(HostileInput, PageCountIsThePagesFoundNotWhatTheTreeClaims) {
  Watchdog watchdog(60s);
  OpenedCraft craft(HostilePdfs::PageCountClaimsAThousandMillion);
  auto& doc = craft.doc();
  ASSERT_EQ(doc.GetNumPages(), 2);
  EXPECT_EQ(testing::FirstLine(testing::SplitCr(doc.ReadPageText(1))), "Two");
  EXPECT_TRUE(doc.CreateThumbs(0, 1).empty());
  EXPECT_EQ(SavedPdf(craft.Saved()).pageCount(), 2);
}

TEST(HostileInput, FileTheTwoReadersDisagreeOnOpensWithoutHanging) {
  Watchdog watchdog(60s);
  // The two readers disagree on this damaged file: QPDF repairs it into an
  // open document, poppler finds it locked. The open once hung for good
  // while freeing poppler's locked document; now it goes on like any other
  // damaged file, its pages read from QPDF's repaired copy (whose text is
  // still enciphered, so it has no headings to give).
  const fs::path file = testing::DataFile("locked_for_poppler.pdf");
  auto engine = MakeRealEngine();
  auto view = engine->Open(file);
  auto& doc = view->GetPDDoc();
  ASSERT_EQ(doc.GetNumPages(), 3);
  for (int i = 0; i < doc.GetNumPages(); ++i) EXPECT_NO_THROW(doc.ReadPageText(i));
}

TEST(HostileInput, DamagedFileIsDrawnAsItWasMeasured) {
  Watchdog watchdog(60s);
  // QPDF and poppler repair this file's broken cross-reference table
  // differently: poppler's repair finds a page of 4 million `q` operators
  // that QPDF's does not, so the budgets, which measure QPDF's reading,
  // never saw what poppler then drew (3.8 GB). poppler now reads QPDF's
  // repair, the one that was measured.
  const fs::path file = testing::DataFile("q_bomb_broken_xref.pdf");
  auto engine = MakeRealEngine();
  const long peakBefore = PeakResidentKilobytes();
  auto view = engine->Open(file);
  ASSERT_EQ(view->GetPDDoc().GetNumPages(), 1);
  EXPECT_NO_THROW(view->GetPDDoc().ReadPageText(0));
  EXPECT_LT(PeakResidentKilobytes() - peakBefore, 512L * 1024);
}

TEST(HostileInput, OnlyRegularFilesAreOpened) {
  Watchdog watchdog(60s);
  TempFolder folder;
  const fs::path fifo = folder / "x.pdf";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  auto engine = MakeRealEngine();
  // A FIFO nobody writes to would block the open and the read for ever.
  EXPECT_EQ(FailureOf([&] { engine->Open(fifo); }), Expected(fifo, kNotRegularFile));
  EXPECT_EQ(FailureOf([&] { engine->Open("/dev/zero"); }), Expected("/dev/zero", kNotRegularFile));
}

TEST(HostileInput, ThumbnailOfAHugePageStaysThumbnailSized) {
  Watchdog watchdog(60s);
  OpenedCraft craft(HostilePdfs::HugePage);
  EXPECT_TRUE(craft.doc().CreateThumbs(0, 0).empty());
  SavedPdf saved(craft.Saved());
  auto thumb = saved.page(0).getKey("/Thumb");
  ASSERT_TRUE(thumb.isStream());
  const auto width = thumb.getDict().getKey("/Width").getIntValue();
  const auto height = thumb.getDict().getKey("/Height").getIntValue();
  EXPECT_GT(width, 100);
  EXPECT_LE(width, 256);
  EXPECT_EQ(width, height);
}

TEST(HostileInput, PageWithAGiganticImageGetsNoThumbnailTheOthersDo) {
  Watchdog watchdog(60s);
  OpenedCraft craft(HostilePdfs::GiganticImage);
  auto& doc = craft.doc();
  // Its text is still read: reading text draws no image.
  EXPECT_EQ(doc.ReadPageText(1), "");
  const auto skipped = doc.CreateThumbs(0, 1);
  ASSERT_EQ(skipped.size(), 1u);
  EXPECT_EQ(skipped[0].file, craft.file);
  EXPECT_EQ(skipped[0].filePage, 2);
  SavedPdf saved(craft.Saved());
  EXPECT_TRUE(saved.page(0).getKey("/Thumb").isStream());
  EXPECT_FALSE(saved.page(1).hasKey("/Thumb"));
}

struct BombCase {
  const char* name;
  void (*build)(const fs::path&);
};

TEST(HostileInput, ContentBombsFailAsTooComplexNamingTheFile) {
  const BombCase cases[] = {
      {"four million q operators", HostilePdfs::SaveStateBomb},
      {"a gigabyte of inflated content", HostilePdfs::InflationBomb},
      {"forms nested ten deep, each drawn ten times", HostilePdfs::NestedFormBomb},
      {"ten pages of eighteen million operators each", HostilePdfs::ManyPagesOfHeavyDrawing},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const fs::path file = folder / "bomb.pdf";
    c.build(file);
    ASSERT_LT(fs::file_size(file), 10u << 20);
    Watchdog watchdog(60s, c.name);
    const auto start = std::chrono::steady_clock::now();
    auto engine = MakeRealEngine();
    auto view = engine->Open(file);
    auto& doc = view->GetPDDoc();
    EXPECT_EQ(FailureOf([&] { doc.ReadPageText(0); }), Expected(file, kTooComplex));
    EXPECT_EQ(FailureOf([&] { doc.CreateThumbs(0, doc.GetNumPages() - 1); }), Expected(file, kTooComplex));
    // Copying the page draws nothing, so it is no reason to fail.
    auto other = engine->Open(file);
    EXPECT_EQ(FailureOf([&] { other->GetPDDoc().InsertPages(0, doc, 0, 1); }), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, 30s);
  }
}

}  // namespace
}  // namespace vellumark::acrobat

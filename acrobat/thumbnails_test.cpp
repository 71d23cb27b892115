#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

namespace fs = std::filesystem;
using testing::DataFile;
using testing::OpenBlankBase;
using testing::PartOf;
using testing::SavedPdf;
using testsupport::TempFolder;

struct Thumb {
  bool present = false;
  long long width = 0, height = 0;
  std::string pixels;  // decoded RGB
};

Thumb ThumbOf(SavedPdf& pdf, int page) {
  Thumb thumb;
  auto stream = pdf.page(page).getKey("/Thumb");
  if (!stream.isStream()) return thumb;
  thumb.present = true;
  auto dict = stream.getDict();
  EXPECT_TRUE(dict.getKey("/ColorSpace").isNameAndEquals("/DeviceRGB"));
  EXPECT_EQ(dict.getKey("/BitsPerComponent").getIntValue(), 8);
  EXPECT_TRUE(dict.getKey("/Filter").isNameAndEquals("/FlateDecode"));
  thumb.width = dict.getKey("/Width").getIntValue();
  thumb.height = dict.getKey("/Height").getIntValue();
  auto data = stream.getStreamData(qpdf_dl_generalized);
  thumb.pixels.assign(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
  return thumb;
}

// Share of pixels that are not near-white.
double Ink(const Thumb& thumb) {
  std::size_t inked = 0;
  for (std::size_t i = 0; i + 2 < thumb.pixels.size(); i += 3) {
    const auto r = static_cast<unsigned char>(thumb.pixels[i]);
    const auto g = static_cast<unsigned char>(thumb.pixels[i + 1]);
    const auto b = static_cast<unsigned char>(thumb.pixels[i + 2]);
    inked += (r < 200 || g < 200 || b < 200);
  }
  return static_cast<double>(inked) / static_cast<double>(thumb.pixels.size() / 3);
}

TEST(Thumbnails, EveryPageGetsAnEighthSizeImageOfItself) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("report.pdf"));
  auto& doc = view->GetPDDoc();
  doc.CreateThumbs(0, doc.GetNumPages() - 1);
  doc.Save(folder / "out.pdf");
  ASSERT_TRUE(testing::QpdfCheckPasses(folder / "out.pdf"));

  SavedPdf saved(folder / "out.pdf");
  for (int i = 0; i < saved.pageCount(); ++i) {
    const auto thumb = ThumbOf(saved, i);
    ASSERT_TRUE(thumb.present) << i;
    // A4 at a ninth of an inch per pixel.
    EXPECT_NEAR(thumb.width, 75, 1) << i;
    EXPECT_NEAR(thumb.height, 105, 1) << i;
    EXPECT_EQ(thumb.pixels.size(), static_cast<std::size_t>(thumb.width * thumb.height * 3)) << i;
  }
  // The page with the figure shows it; a page of text is mostly paper.
  EXPECT_GT(Ink(ThumbOf(saved, 4)), 0.05);
  EXPECT_LT(Ink(ThumbOf(saved, 6)), 0.05);
}

TEST(Thumbnails, RangeDeleteAndTravelIntoParts) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("appendix1.pdf"));
  auto& doc = view->GetPDDoc();
  doc.CreateThumbs(0, 0);
  auto part = PartOf(OpenBlankBase(*engine, folder / "Defaul2.pdf"), doc, 0, 2);
  part->GetPDDoc().Save(folder / "part.pdf");
  SavedPdf savedPart(folder / "part.pdf");
  EXPECT_TRUE(ThumbOf(savedPart, 0).present);
  EXPECT_FALSE(ThumbOf(savedPart, 1).present);

  doc.CreateThumbs(0, 2);
  doc.DeleteThumbs(1, 2);
  doc.Save(folder / "deleted.pdf");
  SavedPdf saved(folder / "deleted.pdf");
  EXPECT_TRUE(ThumbOf(saved, 0).present);
  EXPECT_FALSE(ThumbOf(saved, 1).present);
  EXPECT_FALSE(ThumbOf(saved, 2).present);
}

// A working document of `rounds` copies of the report and appendix 2 (12
// pages a round) in front of the blank base's page.
std::unique_ptr<View> ReportRounds(Engine& engine, const fs::path& folder, int rounds) {
  auto work = OpenBlankBase(engine, folder / "Default.pdf");
  auto& doc = work->GetPDDoc();
  for (int round = 0; round < rounds; ++round) {
    for (const char* name : {"report.pdf", "appendix2.pdf"}) {
      auto source = engine.Open(DataFile(name));
      doc.InsertPages(doc.GetNumPages() - 1, source->GetPDDoc(), 0, source->GetPDDoc().GetNumPages());
    }
  }
  return work;
}

TEST(Thumbnails, ManyPagesFromSeveralFilesRenderInParallelWithoutMixingThemUp) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto work = ReportRounds(*engine, folder.path(), 4);
  auto& doc = work->GetPDDoc();
  doc.CreateThumbs(0, doc.GetNumPages() - 1);
  doc.Save(folder / "many.pdf");
  SavedPdf saved(folder / "many.pdf");
  ASSERT_EQ(saved.pageCount(), 1 + 4 * 12);
  // Each round's figure page (report page 5) and photo pages carry colour;
  // its text pages do not.
  for (int round = 0; round < 4; ++round) {
    const int base = 1 + round * 12;
    EXPECT_GT(Ink(ThumbOf(saved, base + 4)), 0.05) << round;
    EXPECT_LT(Ink(ThumbOf(saved, base + 6)), 0.05) << round;
    EXPECT_GT(Ink(ThumbOf(saved, base + 10)), 0.05) << round;
  }
}

// The count drives a progress bar: only on the calling (user interface)
// thread, never going back, across all the source files, ending at all.
TEST(Thumbnails, PagesDoneAreToldOnTheCallersThreadUpToTheWholeRange) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto work = ReportRounds(*engine, folder.path(), 2);
  auto& doc = work->GetPDDoc();
  const std::thread::id caller = std::this_thread::get_id();
  std::vector<int> told;
  bool otherThread = false;
  doc.CreateThumbs(1, doc.GetNumPages() - 1, [&](int done) {
    otherThread = otherThread || std::this_thread::get_id() != caller;
    told.push_back(done);
  });
  EXPECT_FALSE(otherThread);
  ASSERT_FALSE(told.empty());
  EXPECT_TRUE(std::is_sorted(told.begin(), told.end()));
  EXPECT_GE(told.front(), 1);
  EXPECT_EQ(told.back(), doc.GetNumPages() - 1);
  // Not only the end: the count moves while the pages render.
  EXPECT_GT(told.size(), 1u);
}

}  // namespace
}  // namespace vellumark::acrobat

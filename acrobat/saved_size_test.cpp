// The lower bound on a document's saved size: never above what a save then
// writes, whatever the document went through, and close to it where the
// stored streams are most of the file.
#include <gtest/gtest.h>

#include <string>

#include "acrobat/blank_template.h"
#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

using testing::DataFile;
using testing::MakeSharedResourcePdf;
using testsupport::TempFolder;

class SavedSizeTest : public ::testing::Test {
 protected:
  SavedSizeTest() {
    WriteTemplatePdf(folder / "Default.pdf");
    WriteTemplatePdf(folder / "Defaul2.pdf");
  }

  // Saves `doc` and checks the bound taken just before against the file;
  // `minimumShare` is the part of the file the bound must reach.
  void ExpectBound(Document& doc, const std::string& state, double minimumShare) {
    SCOPED_TRACE(state);
    const long long bound = doc.SavedSizeLowerBound();
    const auto file = folder / (std::to_string(++saves) + ".pdf");
    doc.Save(file);
    const auto saved = static_cast<long long>(std::filesystem::file_size(file));
    EXPECT_LE(bound, saved);
    EXPECT_GE(static_cast<double>(bound), minimumShare * static_cast<double>(saved)) << bound << " of " << saved;
  }

  // A working document as the conversion assembles it: the blank base page
  // first, then every page of `sources`.
  std::unique_ptr<View> Assemble(const std::vector<std::filesystem::path>& sources) {
    auto work = engine->Open(folder / "Default.pdf");
    auto& doc = work->GetPDDoc();
    for (const auto& path : sources) {
      auto source = engine->Open(path);
      doc.InsertPages(doc.GetNumPages() - 1, source->GetPDDoc(), 0, source->GetPDDoc().GetNumPages());
    }
    return work;
  }

  // A part as the split builds it, on the one base written at the start.
  std::unique_ptr<View> PartOf(Document& work, int first, int count) {
    return testing::PartOf(engine->Open(folder / "Defaul2.pdf"), work, first, count);
  }

  TempFolder folder;
  std::unique_ptr<Engine> engine = MakeRealEngine();
  int saves = 0;
};

TEST_F(SavedSizeTest, WordProcessorPagesThroughEveryStepOfASplit) {
  // Embedded fonts shared by all pages, a JPEG photo per page of the second
  // appendix (named in one shared dictionary), links, the template's own
  // blank page and font: every kind of thing a part is made of.
  auto work = Assemble({DataFile("report.pdf"), DataFile("appendix1.pdf"), DataFile("appendix2.pdf")});
  Document& doc = work->GetPDDoc();
  ExpectBound(doc, "assembled", 0.8);
  doc.CreateThumbs(0, doc.GetNumPages() - 1);
  ExpectBound(doc, "with thumbnails", 0.8);

  auto photos = PartOf(doc, 14, 2);
  ExpectBound(photos->GetPDDoc(), "part of the photo pages", 0.8);
  auto body = PartOf(doc, 3, 8);
  ExpectBound(body->GetPDDoc(), "part of body pages", 0.8);
  body->GetPDDoc().DeletePages(5, 7);
  ExpectBound(body->GetPDDoc(), "part with its last pages dropped", 0.8);

  doc.DeleteThumbs(0, doc.GetNumPages() - 1);
  ExpectBound(doc, "thumbnails deleted", 0.8);
}

TEST_F(SavedSizeTest, PhotoPagesAreCountedNearlyInFull) {
  struct Case {
    const char* name;
    int firstPage;
    int pageCount;
  };
  // Twelve photo pages naming all twelve photos in one dictionary: a part
  // carries (and the bound counts) only the photos its pages draw.
  const auto album = MakeSharedResourcePdf(folder / "album.pdf", 12);
  auto work = Assemble({album});
  Document& doc = work->GetPDDoc();
  doc.CreateThumbs(0, doc.GetNumPages() - 1);
  const std::vector<Case> cases = {{"one page", 1, 1}, {"five pages", 3, 5}, {"every page", 1, 12}};
  for (const Case& c : cases) {
    auto part = PartOf(doc, c.firstPage, c.pageCount);
    ExpectBound(part->GetPDDoc(), c.name, 0.9);
  }
  // Without their thumbnails the pages weigh less, and so must the bound.
  const long long withThumbs = doc.SavedSizeLowerBound();
  doc.DeleteThumbs(0, doc.GetNumPages() - 1);
  EXPECT_LT(doc.SavedSizeLowerBound(), withThumbs);
  ExpectBound(doc, "thumbnails deleted", 0.9);
}

TEST_F(SavedSizeTest, OwnPagesCountOnlyWhatTheyKeepOnceTheirResourcesArePruned) {
  // A file opened as it is, its twelve pages naming all twelve photos in
  // one dictionary. Copying a page out of it prunes every page down to the
  // photo it draws; the page left after the others are deleted is then
  // written with its one photo, and must not be counted with all twelve it
  // named when the bound was first asked for.
  const auto album = MakeSharedResourcePdf(folder / "album.pdf", 12);
  auto view = engine->Open(album);
  Document& doc = view->GetPDDoc();
  ExpectBound(doc, "as opened", 0.0);
  auto part = PartOf(doc, 0, 1);
  doc.DeletePages(1, 11);
  ExpectBound(doc, "one page left after a copy", 0.9);
}

}  // namespace
}  // namespace vellumark::acrobat

// What travels with a copied page: its links when their target travels too,
// and only the resources it draws.
#include <gtest/gtest.h>
#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

using testing::DataFile;
using testing::MakeSharedResourcePdf;
using testing::OpenBlankBase;
using testing::PartOf;
using testing::SavedPdf;
using testsupport::TempFolder;

int ImageCount(SavedPdf& pdf) {
  int images = 0;
  for (auto& object : pdf.qpdf().getAllObjects()) {
    if (object.isStream() && object.getDict().getKey("/Subtype").isNameAndEquals("/Image")) ++images;
  }
  return images;
}

// Link annotations of a page with the page index they jump to (-1: none).
std::vector<int> LinkTargets(SavedPdf& pdf, int page) {
  std::vector<int> targets;
  auto annots = pdf.page(page).getKey("/Annots");
  if (!annots.isArray()) return targets;
  for (auto& annot : annots.getArrayAsVector()) {
    if (!annot.getKey("/Subtype").isNameAndEquals("/Link")) continue;
    auto dest = annot.getKey("/Dest");
    if (annot.getKey("/A").isDictionary()) {
      auto action = annot.getKey("/A");
      if (action.getKey("/S").isNameAndEquals("/URI")) {
        targets.push_back(-2);  // a web link
        continue;
      }
      dest = action.getKey("/D");
    }
    targets.push_back(dest.isArray() ? pdf.PageIndexOf(dest.getArrayItem(0)) : -1);
  }
  return targets;
}

// Pages first..first+count-1 of `source` saved as a part, "part.pdf" in
// `folder`.
std::filesystem::path SavePart(const TempFolder& folder, const std::filesystem::path& source, int first, int count) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(source);
  const auto file = folder / "part.pdf";
  PartOf(OpenBlankBase(*engine, folder / "Defaul2.pdf"), view->GetPDDoc(), first, count)->GetPDDoc().Save(file);
  return file;
}

TEST(PageCopy, APartCarriesOnlyTheImagesItsPagesDraw) {
  TempFolder folder;
  const auto whole = MakeSharedResourcePdf(folder / "album.pdf");
  const auto part = SavePart(folder, whole, 2, 2);

  ASSERT_TRUE(testing::QpdfCheckPasses(part));
  SavedPdf saved(part);
  EXPECT_EQ(saved.pageCount(), 2);
  EXPECT_EQ(ImageCount(saved), 2);
  EXPECT_LT(std::filesystem::file_size(part), std::filesystem::file_size(whole) / 3);
}

TEST(PageCopy, WordProcessorPagesSharingResourcesArePrunedToo) {
  // appendix2.pdf names both photos in the one dictionary all pages share.
  TempFolder folder;
  const auto part = SavePart(folder, DataFile("appendix2.pdf"), 1, 1);
  SavedPdf saved(part);
  EXPECT_EQ(ImageCount(saved), 1);
  EXPECT_EQ(testing::FirstLine(testing::PopplerPageLines(part).at(0)), "5.2 完成");
}

TEST(PageCopy, LinksFollowTheirTargetOrAreDropped) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto report = engine->Open(DataFile("report.pdf"));

  // The whole report: the contents page links to body pages 1 and 4.
  auto all = PartOf(OpenBlankBase(*engine, folder / "Default.pdf"), report->GetPDDoc(), 0, 10);
  all->GetPDDoc().Save(folder / "all.pdf");
  SavedPdf savedAll(folder / "all.pdf");
  auto contentsLinks = LinkTargets(savedAll, 1);
  std::sort(contentsLinks.begin(), contentsLinks.end());
  EXPECT_EQ(contentsLinks, (std::vector<int>{2, 5}));
  EXPECT_EQ(LinkTargets(savedAll, 0), (std::vector<int>{-2}));  // the web link stays

  // Cover and contents alone, inserted in two steps with the first chapter
  // arriving later: one link finds its target, the other is left out.
  auto frontView = engine->Open(folder / "Default.pdf");
  auto& front = frontView->GetPDDoc();
  front.InsertPages(0, report->GetPDDoc(), 0, 2);
  front.InsertPages(2, report->GetPDDoc(), 2, 1);
  front.DeletePages(0, 0);
  front.Save(folder / "front.pdf");
  ASSERT_TRUE(testing::QpdfCheckPasses(folder / "front.pdf"));
  SavedPdf savedFront(folder / "front.pdf");
  EXPECT_EQ(LinkTargets(savedFront, 1), (std::vector<int>{2}));
  EXPECT_EQ(savedFront.pageCount(), 3);
}

}  // namespace
}  // namespace vellumark::acrobat

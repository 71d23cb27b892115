#include "acrobat/real_engine.h"

#include <gtest/gtest.h>

#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

using testing::DataFile;
using testing::FirstLine;
using testing::OpenBlankBase;
using testing::PopplerPageLines;
using testing::SavedPdf;
using testsupport::TempFolder;

// Appends every page of `file` behind the last page, the way the working
// document is assembled: source bookmarks removed, source closed at once.
void Append(Engine& engine, Document& work, const std::filesystem::path& file) {
  auto view = engine.Open(file);
  auto& source = view->GetPDDoc();
  source.BookmarkRoot().Remove();
  work.InsertPages(work.GetNumPages() - 1, source, 0, source.GetNumPages());
  source.Close();
  view->Close();
}

std::vector<std::string> FirstLines(const std::filesystem::path& file) {
  std::vector<std::string> lines;
  for (const auto& page : PopplerPageLines(file)) lines.push_back(FirstLine(page));
  return lines;
}

struct OpenFailure {
  const char* file;
  const char* reason;
};

class OpenFailures : public ::testing::TestWithParam<OpenFailure> {};

TEST_P(OpenFailures, ThrowPdfErrorNamingTheFile) {
  auto engine = MakeRealEngine();
  const auto file = DataFile(GetParam().file);
  try {
    engine->Open(file);
    FAIL() << "opened " << file;
  } catch (const PdfError& e) {
    EXPECT_EQ(e.file(), file);
    EXPECT_EQ(e.reason(), GetParam().reason);
  }
}

INSTANTIATE_TEST_SUITE_P(
    DamagedAndLocked, OpenFailures,
    ::testing::Values(OpenFailure{"no-such-file.pdf", "ファイルが見つかりません"},
                      OpenFailure{"empty.pdf", "PDF ファイルではありません"},
                      OpenFailure{"not_a_pdf.pdf", "PDF ファイルではありません"},
                      OpenFailure{"truncated.pdf", "ファイルが壊れていて読めません"},
                      OpenFailure{"encrypted_user.pdf", "パスワードが必要な PDF は開けません"}));

TEST(RealEngineOpen, RepairableAndOwnerProtectedFilesOpenLikeAnyOther) {
  auto engine = MakeRealEngine();
  const auto expected = FirstLines(DataFile("appendix1.pdf"));
  for (const char* name : {"bad_xref.pdf", "encrypted_owner.pdf"}) {
    auto view = engine->Open(DataFile(name));
    auto& doc = view->GetPDDoc();
    ASSERT_EQ(doc.GetNumPages(), 3) << name;
    for (int i = 0; i < 3; ++i) {
      EXPECT_EQ(testing::SplitCr(doc.ReadPageText(i)).at(0), expected[static_cast<std::size_t>(i)]) << name;
    }
  }
}

// The whole road of a job through the engine: blank base, parent and two
// children, base page moved behind the end and deleted, opening state,
// thumbnails and bookmarks, then one save read back by other readers.
TEST(RealEngineDocument, AssembledJobSavesAFileOtherReadersRead) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto workView = OpenBlankBase(*engine, folder / "Default.pdf");
  auto& work = workView->GetPDDoc();
  work.BookmarkRoot().Remove();
  for (const char* name : {"report.pdf", "appendix1.pdf", "appendix2.pdf"}) Append(*engine, work, DataFile(name));
  ASSERT_EQ(work.GetNumPages(), 1 + 10 + 3 + 2);

  const int last = work.GetNumPages() - 1;
  work.MovePage(last, 0);
  work.DeletePages(last, last);
  work.SetOpeningView({0, 100, true});
  work.CreateThumbs(0, work.GetNumPages() - 1);
  auto& root = work.BookmarkRoot();
  root.CreateChild("表紙", "this.pageNum=0;\r\nthis.zoom=100;\r\n", 1, 0);
  auto& chapter = root.CreateChild("第 4 章 数量計算", "this.pageNum=10;\r\nthis.zoom=100;\r\n", 2, 10);
  chapter.CreateChild("4.1 土工", "this.pageNum=10;\r\nthis.zoom=100;\r\n", 1, 10);
  const auto output = folder / "報告書.pdf";
  work.Save(output);

  ASSERT_TRUE(testing::QpdfCheckPasses(output));
  std::vector<std::string> expected;
  for (const char* name : {"report.pdf", "appendix1.pdf", "appendix2.pdf"}) {
    for (const auto& page : PopplerPageLines(DataFile(name))) expected.push_back(FirstLine(page));
  }
  EXPECT_EQ(FirstLines(output), expected);
  // Every page's full text is the source page's text.
  const auto pages = PopplerPageLines(output);
  EXPECT_EQ(pages.at(2), PopplerPageLines(DataFile("report.pdf")).at(2));

  EXPECT_EQ(testing::PopplerOutline(output),
            (std::vector<std::string>{"0:表紙", "0:第 4 章 数量計算", "1:4.1 土工"}));
  SavedPdf saved(output);
  EXPECT_TRUE(saved.catalog().getKey("/PageMode").isNameAndEquals("/UseOutlines"));
  auto open = saved.catalog().getKey("/OpenAction");
  ASSERT_TRUE(open.isArray());
  EXPECT_EQ(saved.PageIndexOf(open.getArrayItem(0)), 0);
  EXPECT_DOUBLE_EQ(open.getArrayItem(4).getNumericValue(), 1.0);
  for (int i = 0; i < saved.pageCount(); ++i) EXPECT_TRUE(saved.page(i).getKey("/Thumb").isStream()) << i;
  // Whatever the template says is what the output says of itself.
  EXPECT_EQ(saved.qpdf().getTrailer().getKey("/Info").getKey("/Title").getUTF8Value(), "Book1");
}

TEST(RealEngineDocument, InsertDeleteAndMovePagesKeepTheExpectedOrder) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  const auto reportLines = FirstLines(DataFile("report.pdf"));
  const auto appendixLines = FirstLines(DataFile("appendix1.pdf"));
  auto reportView = engine->Open(DataFile("report.pdf"));
  auto appendixView = engine->Open(DataFile("appendix1.pdf"));
  auto& doc = reportView->GetPDDoc();

  doc.InsertPages(1, appendixView->GetPDDoc(), 1, 2);  // appendix pages 2-3 behind page 2
  doc.InsertPages(-1, appendixView->GetPDDoc(), 0, 1);  // appendix page 1 in front
  doc.DeletePages(5, 11);                               // report pages 3..9
  doc.MovePage(-1, 5);                                  // report page 10 to the front
  doc.MovePage(2, 1);                                   // appendix page 1 behind report page 1
  doc.InsertPages(0, appendixView->GetPDDoc(), 0, 0);   // nothing
  const auto output = folder / "order.pdf";
  doc.Save(output);

  ASSERT_TRUE(testing::QpdfCheckPasses(output));
  EXPECT_EQ(FirstLines(output),
            (std::vector<std::string>{reportLines[9], reportLines[0], appendixLines[0], reportLines[1],
                                      appendixLines[1], appendixLines[2]}));
}

TEST(RealEngineDocument, BadPageRangesThrowAndLeaveTheDocumentAlone) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("appendix1.pdf"));
  auto other = engine->Open(DataFile("appendix2.pdf"));
  auto& doc = view->GetPDDoc();
  EXPECT_THROW(doc.DeletePages(2, 3), PdfError);
  EXPECT_THROW(doc.DeletePages(-1, 0), PdfError);
  EXPECT_THROW(doc.MovePage(0, 3), PdfError);
  EXPECT_THROW(doc.InsertPages(3, other->GetPDDoc(), 0, 1), PdfError);
  EXPECT_THROW(doc.InsertPages(0, other->GetPDDoc(), 1, 2), PdfError);
  EXPECT_THROW(doc.ReadPageText(3), PdfError);
  EXPECT_THROW(doc.CreateThumbs(0, 3), PdfError);
  EXPECT_EQ(doc.GetNumPages(), 3);
}

TEST(RealEngineDocument, PagesStayReadableAfterTheirSourceIsClosedAndGone) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto workView = OpenBlankBase(*engine, folder / "Default.pdf");
  auto& work = workView->GetPDDoc();
  {
    // Copied from a copy of the real file, which then disappears, as the
    // working files do between steps.
    std::filesystem::copy_file(DataFile("appendix2.pdf"), folder / "child.pdf");
    Append(*engine, work, folder / "child.pdf");
    std::filesystem::remove(folder / "child.pdf");
  }
  EXPECT_EQ(testing::SplitCr(work.ReadPageText(1)).at(0), FirstLine(PopplerPageLines(DataFile("appendix2.pdf"))[0]));
  work.Save(folder / "out.pdf");
  EXPECT_TRUE(testing::QpdfCheckPasses(folder / "out.pdf"));
  EXPECT_EQ(PopplerPageLines(folder / "out.pdf").size(), 3u);
}

// Parts are built by inserting ranges of the working document again and
// again; a page inserted twice must stand twice in a valid page tree.
TEST(RealEngineDocument, APageInsertedTwiceAppearsTwice) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto source = engine->Open(DataFile("appendix1.pdf"));
  auto partView = OpenBlankBase(*engine, folder / "Defaul2.pdf");
  auto& part = partView->GetPDDoc();
  part.InsertPages(0, source->GetPDDoc(), 0, 2);
  part.DeletePages(1, 2);
  part.InsertPages(0, source->GetPDDoc(), 1, 1);
  part.InsertPages(1, source->GetPDDoc(), 1, 1);
  part.DeletePages(0, 0);
  part.Save(folder / "twice.pdf");
  ASSERT_TRUE(testing::QpdfCheckPasses(folder / "twice.pdf"));
  const auto lines = FirstLines(folder / "twice.pdf");
  const auto expected = FirstLines(DataFile("appendix1.pdf"))[1];
  EXPECT_EQ(lines, (std::vector<std::string>{expected, expected}));
}

TEST(RealEngineDocument, SourceBookmarksAndOpenActionDoNotTravelWithPages) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto workView = OpenBlankBase(*engine, folder / "Default.pdf");
  auto& work = workView->GetPDDoc();
  auto child = engine->Open(DataFile("appendix2.pdf"));
  ASSERT_FALSE(child->GetPDDoc().BookmarkRoot().children().empty());
  work.InsertPages(0, child->GetPDDoc(), 0, 2);
  work.DeletePages(0, 0);
  work.Save(folder / "out.pdf");

  SavedPdf saved(folder / "out.pdf");
  EXPECT_FALSE(saved.catalog().hasKey("/Outlines"));
  EXPECT_FALSE(saved.catalog().hasKey("/PageMode"));
  // The template's open action pointed at the deleted base page: it now
  // opens the first page, still at 100 %.
  auto open = saved.catalog().getKey("/OpenAction");
  auto dest = open.isDictionary() ? open.getKey("/D") : open;
  ASSERT_TRUE(dest.isArray());
  EXPECT_EQ(saved.PageIndexOf(dest.getArrayItem(0)), 0);
  EXPECT_DOUBLE_EQ(dest.getArrayItem(4).getNumericValue(), 1.0);
}

TEST(RealEngineDocument, OpeningViewReplacesTheSourcesOwnOpeningState) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("appendix2.pdf"));  // opens at 50 % on page 1
  auto& doc = view->GetPDDoc();
  doc.MovePage(1, 0);
  doc.SetOpeningView({0, 100, true});
  doc.Save(folder / "out.pdf");
  SavedPdf saved(folder / "out.pdf");
  auto open = saved.catalog().getKey("/OpenAction");
  ASSERT_TRUE(open.isArray());
  EXPECT_EQ(saved.PageIndexOf(open.getArrayItem(0)), 0);
  EXPECT_TRUE(open.getArrayItem(1).isNameAndEquals("/XYZ"));
  EXPECT_DOUBLE_EQ(open.getArrayItem(4).getNumericValue(), 1.0);
  EXPECT_TRUE(saved.catalog().getKey("/PageMode").isNameAndEquals("/UseOutlines"));
}

TEST(RealEngineDocument, OutputOfAnOwnerProtectedSourceIsNotEncrypted) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("encrypted_owner.pdf"));
  view->GetPDDoc().Save(folder / "plain.pdf");
  SavedPdf saved(folder / "plain.pdf");
  EXPECT_FALSE(saved.qpdf().isEncrypted());
  EXPECT_EQ(FirstLines(folder / "plain.pdf"), FirstLines(DataFile("appendix1.pdf")));
}

TEST(RealEngineDocument, SaveReplacesTheFileAndLeavesNoTemporaryBehind) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("appendix1.pdf"));
  auto& doc = view->GetPDDoc();
  const auto target = folder / "temp.pdf";
  testsupport::WriteBytes(target, "older content");
  doc.Save(target);
  doc.DeletePages(0, 1);
  doc.Save(target);
  EXPECT_EQ(PopplerPageLines(target).size(), 1u);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path())) ++entries;
  EXPECT_EQ(entries, 1);

  try {
    doc.Save(folder / "no-folder" / "x.pdf");
    FAIL() << "saved into a missing folder";
  } catch (const PdfError& e) {
    EXPECT_EQ(e.file(), folder / "no-folder" / "x.pdf");
  }
}

TEST(RealEngineDocument, SameSaveGivesTheSameSize) {
  // The part splitter measures a save to "temp.pdf" and then writes the same
  // document under its final name: both must be the same size.
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("report.pdf"));
  auto& doc = view->GetPDDoc();
  doc.BookmarkRoot().CreateChild("表紙", "this.pageNum=0;\r\nthis.zoom=100;\r\n", 1, 0);
  doc.Save(folder / "temp.pdf");
  doc.Save(folder / "報告書_001.PDF");
  EXPECT_EQ(std::filesystem::file_size(folder / "temp.pdf"), std::filesystem::file_size(folder / "報告書_001.PDF"));
}

TEST(RealEngineDocument, ClosedDocumentRefusesWork) {
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("appendix1.pdf"));
  auto other = engine->Open(DataFile("appendix2.pdf"));
  view->Close();
  EXPECT_THROW(view->GetPDDoc().DeletePages(0, 0), PdfError);
  EXPECT_THROW(other->GetPDDoc().InsertPages(0, view->GetPDDoc(), 0, 1), PdfError);
}

}  // namespace
}  // namespace vellumark::acrobat

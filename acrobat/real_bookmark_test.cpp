#include <gtest/gtest.h>

#include <qpdf/QPDFOutlineDocumentHelper.hh>

#include "acrobat/real_engine.h"
#include "acrobat/test_pdf_reader.h"
#include "tests/support/temp_folder.h"

namespace vellumark::acrobat {
namespace {

using testing::DataFile;
using testing::OutlineItem;
using testing::SavedPdf;
using testsupport::TempFolder;

std::string Action(int page) { return "this.pageNum=" + std::to_string(page) + ";\r\nthis.zoom=100;\r\n"; }

std::vector<std::string> Titles(Bookmark& parent) {
  std::vector<std::string> titles;
  for (auto* child : parent.children()) titles.push_back(child->title());
  return titles;
}

class RealBookmarks : public ::testing::Test {
 protected:
  void SetUp() override {
    view_ = engine_->Open(DataFile("report.pdf"));
  }
  Document& doc() { return view_->GetPDDoc(); }
  std::vector<OutlineItem> SaveAndReadOutline() {
    doc().Save(folder_ / "out.pdf");
    EXPECT_TRUE(testing::QpdfCheckPasses(folder_ / "out.pdf"));
    SavedPdf saved(folder_ / "out.pdf");
    return saved.Outline();
  }

  TempFolder folder_;
  std::unique_ptr<Engine> engine_ = MakeRealEngine();
  std::unique_ptr<View> view_;
};

TEST_F(RealBookmarks, TitlesRoundTripExactly) {
  const std::vector<std::string> titles = {
      "表紙", "第1章　総則", "１．２　構成（全角）", "1.2.1 ASCII & <symbols> (paren) \\ back", "改行\rを含む題",
      "ｶﾀｶﾅ･半角", "𠮷野家"};
  for (std::size_t i = 0; i < titles.size(); ++i) {
    doc().BookmarkRoot().CreateChild(titles[i], Action(0), static_cast<int>(i) + 1, 0);
  }
  const auto outline = SaveAndReadOutline();
  ASSERT_EQ(outline.size(), titles.size());
  for (std::size_t i = 0; i < titles.size(); ++i) EXPECT_EQ(outline[i].title, titles[i]);
  // poppler decodes the same titles.
  const auto shown = testing::PopplerOutline(folder_ / "out.pdf");
  ASSERT_EQ(shown.size(), titles.size());
  EXPECT_EQ(shown[1], "0:第1章　総則");
  EXPECT_EQ(shown[4], "0:改行\rを含む題");
}

TEST_F(RealBookmarks, EachJumpsByGoToAndCarriesTheScript) {
  auto& root = doc().BookmarkRoot();
  root.CreateChild("表紙", Action(0), 1, 0);
  auto& chapter = root.CreateChild("第 1 章 総則", Action(2), 2, 2);
  auto& section = chapter.CreateChild("1.2 適用範囲", Action(3), 1, 3);
  section.CreateChild("1.2.1 対象工区", Action(3), 1, 3);
  root.CreateChild("付録（強制作成）", Action(40), 3, 40);

  const auto outline = SaveAndReadOutline();
  ASSERT_EQ(outline.size(), 3u);
  EXPECT_EQ(outline[0].targetPage, 0);
  EXPECT_EQ(outline[1].targetPage, 2);
  EXPECT_DOUBLE_EQ(outline[1].zoom, 1.0);
  EXPECT_EQ(outline[1].javaScript, Action(2));
  ASSERT_EQ(outline[1].children.size(), 1u);
  EXPECT_EQ(outline[1].children[0].targetPage, 3);
  ASSERT_EQ(outline[1].children[0].children.size(), 1u);
  EXPECT_EQ(outline[1].children[0].children[0].title, "1.2.1 対象工区");
  // A target past the last page: no page to go to, the script alone.
  EXPECT_EQ(outline[2].targetPage, -1);
  EXPECT_EQ(outline[2].javaScript, Action(40));

  SavedPdf saved(folder_ / "out.pdf");
  auto outlines = saved.catalog().getKey("/Outlines");
  EXPECT_EQ(outlines.getKey("/Count").getIntValue(), 3);  // chapters shown, children folded
  EXPECT_EQ(outlines.getKey("/First").getKey("/Next").getKey("/Count").getIntValue(), -1);
}

TEST_F(RealBookmarks, PositionsPlaceAmongSiblings) {
  auto& root = doc().BookmarkRoot();
  root.CreateChild("B", "", 1, 0);
  root.CreateChild("D", "", 5, 0);  // past the end appends
  root.CreateChild("A", "", 1, 0);
  root.CreateChild("C", "", 3, 0);
  EXPECT_EQ(Titles(root), (std::vector<std::string>{"A", "B", "C", "D"}));
  const auto outline = SaveAndReadOutline();
  ASSERT_EQ(outline.size(), 4u);
  EXPECT_EQ(outline[3].title, "D");
}

TEST_F(RealBookmarks, RemoveOnTheRootClearsTheOutline) {
  auto& root = doc().BookmarkRoot();
  root.CreateChild("古い", Action(0), 1, 0).CreateChild("古い節", Action(0), 1, 0);
  doc().Save(folder_ / "first.pdf");
  root.Remove();
  EXPECT_TRUE(root.children().empty());
  doc().Save(folder_ / "cleared.pdf");
  EXPECT_FALSE(SavedPdf(folder_ / "cleared.pdf").catalog().hasKey("/Outlines"));
  root.CreateChild("新しい", Action(1), 1, 1);
  const auto outline = SaveAndReadOutline();
  ASSERT_EQ(outline.size(), 1u);
  EXPECT_EQ(outline[0].title, "新しい");
}

TEST_F(RealBookmarks, TargetsFollowTheirPage) {
  auto& root = doc().BookmarkRoot();
  root.CreateChild("第 2 章", Action(5), 1, 5);
  root.CreateChild("消える", Action(9), 2, 9);
  doc().MovePage(-1, 5);    // the chapter page to the front
  doc().DeletePages(9, 9);  // the last page goes
  const auto outline = SaveAndReadOutline();
  ASSERT_EQ(outline.size(), 2u);
  EXPECT_EQ(outline[0].targetPage, 0);
  EXPECT_EQ(outline[1].targetPage, -1);
  EXPECT_EQ(outline[1].javaScript, Action(9));
}

TEST(RealBookmarksRead, AFileOwnOutlineIsShownAndCanBeRemoved) {
  TempFolder folder;
  auto engine = MakeRealEngine();
  auto view = engine->Open(DataFile("appendix2.pdf"));
  auto& root = view->GetPDDoc().BookmarkRoot();
  ASSERT_EQ(root.children().size(), 1u);
  EXPECT_EQ(root.children()[0]->title(), "第5章　写真帳");
  EXPECT_EQ(Titles(*root.children()[0]), (std::vector<std::string>{"5.1　着工前", "5.2　完成"}));

  // Kept as they were when the document is saved untouched.
  view->GetPDDoc().Save(folder / "kept.pdf");
  const auto kept = SavedPdf(folder / "kept.pdf").Outline();
  ASSERT_EQ(kept.size(), 1u);
  ASSERT_EQ(kept[0].children.size(), 2u);
  EXPECT_EQ(kept[0].children[1].targetPage, 1);

  root.Remove();
  view->GetPDDoc().Save(folder / "removed.pdf");
  EXPECT_TRUE(testing::PopplerOutline(folder / "removed.pdf").empty());
}

// The action of the top-level bookmark `index` of the file, as QPDF reads it.
QPDFObjectHandle TopLevelAction(SavedPdf& saved, std::size_t index) {
  auto items = QPDFOutlineDocumentHelper(saved.qpdf()).getTopLevelOutlines();
  return items.at(index).getObjectHandle().getKey("/A");
}

TEST_F(RealBookmarks, ARemoteBookmarkOpensTheOtherFileByItsBareNameAtItsPage) {
  struct Case {
    std::string file;
    std::string fBytes;  // /F: CP932 where it can carry the name, else UTF-8
  };
  const std::vector<Case> cases = {
      {"報告書_003.PDF", std::string("\x95\xf1\x8d\x90\x8f\x91_003.PDF")},
      {"café_002.PDF", "café_002.PDF"},
  };
  auto& root = doc().BookmarkRoot();
  root.CreateChild("表紙", Action(0), 1, 0);
  for (std::size_t i = 0; i < cases.size(); ++i) {
    root.CreateRemoteChild("第" + std::to_string(i + 3) + "章", cases[i].file, static_cast<int>(i) + 2, 7);
  }
  doc().Save(folder_ / "out.pdf");
  ASSERT_TRUE(testing::QpdfCheckPasses(folder_ / "out.pdf"));

  // Saved once more after opening the file again, the links stay as they are.
  auto reopened = engine_->Open(folder_ / "out.pdf");
  reopened->GetPDDoc().Save(folder_ / "again.pdf");
  for (const char* name : {"out.pdf", "again.pdf"}) {
    SavedPdf saved(folder_ / name);
    for (std::size_t i = 0; i < cases.size(); ++i) {
      SCOPED_TRACE(std::string(name) + " " + cases[i].file);
      auto action = TopLevelAction(saved, i + 1);
      EXPECT_TRUE(action.getKey("/S").isNameAndEquals("/GoToR"));
      auto fileEntry = action.getKey("/F");
      EXPECT_EQ(fileEntry.getKey("/UF").getUTF8Value(), cases[i].file);
      EXPECT_EQ(fileEntry.getKey("/F").getStringValue(), cases[i].fBytes);
      EXPECT_EQ(action.getKey("/D").unparse(), "[ 7 /XYZ null null 1 ]");
      EXPECT_FALSE(action.hasKey("/Next")) << "a script would move within this file";
      EXPECT_FALSE(action.getKey("/NewWindow").isBool() && action.getKey("/NewWindow").getBoolValue());
    }
  }
}

}  // namespace
}  // namespace vellumark::acrobat

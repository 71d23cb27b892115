#include "acrobat/line_assembly.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellumark::acrobat {
namespace {

constexpr auto kHorizontal = WritingDirection::kHorizontal;
constexpr auto kVertical = WritingDirection::kVertical;

// A word as poppler reports it: its box runs from the descender to above
// the ascender, about 1.3 em for a Japanese word processor's fonts.
TextBox Word(const char* text, double left, double top, double right, double bottom, double size,
             int rotation = 0, bool vertical = false) {
  TextBox box;
  box.text = text;
  box.box = {left, top, right, bottom};
  box.fontSize = size;
  box.rotation = rotation;
  box.verticalWriting = vertical;
  return box;
}

TextBox SpacedWord(const char* text, double left, double top, double right, double bottom, double size) {
  TextBox box = Word(text, left, top, right, bottom, size);
  box.spaceAfter = true;
  return box;
}

struct ExpectedLine {
  std::string text;
  WritingDirection direction = kHorizontal;
  double fontSize = 0;  // 0: not checked
};

struct AssemblyCase {
  const char* name;
  std::vector<TextBox> boxes;
  std::vector<ExpectedLine> lines;  // in reading order
};

class LineAssembly : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(LineAssembly, GivesTheLinesAReaderSees) {
  const PageLines page = AssembleLines(GetParam().boxes, 595, 842);
  EXPECT_EQ(page.width, 595);
  EXPECT_EQ(page.height, 842);
  std::vector<std::string> texts;
  for (const auto& line : page.lines) texts.push_back(line.text);
  std::vector<std::string> expectedTexts;
  for (const auto& line : GetParam().lines) expectedTexts.push_back(line.text);
  ASSERT_EQ(texts, expectedTexts);
  for (std::size_t k = 0; k < page.lines.size(); ++k) {
    const ExpectedLine& expected = GetParam().lines[k];
    EXPECT_EQ(page.lines[k].direction, expected.direction) << expected.text;
    if (expected.fontSize > 0) {
      EXPECT_DOUBLE_EQ(page.lines[k].fontSize, expected.fontSize) << expected.text;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Pages, LineAssembly,
    ::testing::Values(
        AssemblyCase{"LatinWordsOnOneBaseline",
                     {Word("report", 113, 100.5, 150, 112.3, 10), Word("Design", 72, 100, 110, 112, 10),
                      Word("2023", 153.5, 100, 175, 112, 10)},
                     {{"Design report 2023"}}},
        // Boxes as LibreOffice writes a contents line: the digit a quarter
        // em off the kanji, the title an em off, its page number behind a
        // blank leader.
        AssemblyCase{"JapaneseDigitGapsJoinAndAnEmGapIsAnIdeographicSpace",
                     {SpacedWord("第", 71.0, 100.3, 81.5, 114.0, 10.5), SpacedWord("1", 83.6, 100.3, 90.1, 114.0, 10.5),
                      SpacedWord("章", 92.2, 100.3, 102.7, 114.0, 10.5), Word("総則", 113.2, 100.3, 134.2, 114.0, 10.5),
                      Word("1", 480.0, 100.3, 486.5, 114.0, 10.5), SpacedWord("1.1", 71.0, 115.1, 86.5, 128.8, 10.5),
                      Word("目的･････････1", 97.0, 115.1, 318.7, 128.8, 10.5)},
                     // The blank leader is as wide as eight ideographic spaces
                     // or more: a reader still sees the page number set off.
                     {{"第1章　総則　　　　　　　　1"}, {"1.1　目的･････････1"}}},
        // Boxes as Chromium writes headings: the reported size is twice
        // the size the glyphs are drawn in.
        AssemblyCase{"GapsAreMeasuredInTheEmTheGlyphsAreDrawnIn",
                     {SpacedWord("第1章", 57, 54.4, 99.1, 95.9, 32), Word("総則", 115.1, 54.4, 147.1, 95.9, 32),
                      SpacedWord("1.1", 57, 90.8, 76.8, 124.6, 26), Word("業務目的", 89.8, 90.8, 141.8, 124.6, 26)},
                     {{"第1章　総則"}, {"1.1　業務目的"}}},
        AssemblyCase{"ProducersIdeographicSpaceStaysOne",
                     {Word("第1章　", 71, 67.1, 113.4, 85.3, 14), Word("総則", 127.4, 67.1, 155.4, 85.3, 14),
                      Word("1", 500, 67.1, 507, 85.3, 14),
                      Word("Report", 72, 20, 110, 32, 10), Word("Page 3", 480, 20, 520, 32, 10)},
                     {{"Report　　　　　　　　Page 3"}, {"第1章　総則　　　　　　　　1"}}},
        // Set solid, the boxes of a wrapped title overlap by a fifth.
        AssemblyCase{"WrappedTitleIsTwoLines",
                     {Word("完成報告書", 117.8, 114.0, 237.8, 145.2, 24),
                      Word("○○川護岸改修工事に係る", 117.8, 90.0, 381.8, 121.2, 24)},
                     {{"○○川護岸改修工事に係る"}, {"完成報告書"}}},
        AssemblyCase{"RubyAboveItsBaseIsLeftOut",
                     {Word("第2章", 71, 100, 113.4, 118.2, 14), Word("法面保護工", 127.4, 100, 197.4, 118.2, 14),
                      Word("のりめん", 127.4, 92.5, 155.4, 101.6, 7), Word("ほご", 162.4, 92.5, 176.4, 101.6, 7),
                      // Small print that is no ruby: a note under the text
                      // and a caption above with room between.
                      Word("出典：国土地理院", 71, 160, 127, 169.1, 7), Word("図面番号", 71, 40, 99, 49.1, 7)},
                     {{"図面番号"}, {"第2章　法面保護工", kHorizontal, 14}, {"出典：国土地理院"}}},
        AssemblyCase{"MixedSizesOnOneBaselineTakeTheMostCommonSize",
                     {Word("第2章", 71, 67.1, 113.4, 85.3, 14), Word("（案）について", 116, 73.5, 189.5, 87.2, 10.5),
                      Word("本文は十点五ポイントで組む。", 71, 100, 218, 113.7, 10.5)},
                     {{"第2章（案）について", kHorizontal, 10.5}, {"本文は十点五ポイントで組む。", kHorizontal, 10.5}}},
        // Boxes as upLaTeX writes a vertical page: poppler turns vertical
        // writing a quarter.
        AssemblyCase{"VerticalWritingIsReadInColumnsRightToLeft",
                     {Word("本報告書は工事の結果をまとめる︒", 495.9, 88.7, 505.5, 242.1, 9.6, 1, true),
                      Word("総則", 512.9, 127.0, 522.5, 146.2, 9.6, 1, true),
                      Word("第一章", 512.9, 88.7, 522.5, 117.5, 9.6, 1, true), Word("1", 290, 800, 296, 812, 9.6),
                      Word("完成報告書", 470, 40, 522, 52, 9.6)},
                     {{"完成報告書"},
                      {"第一章　総則", kVertical, 9.6},
                      {"本報告書は工事の結果をまとめる︒", kVertical},
                      {"1"}}},
        // A digit set sideways inside a column of vertical writing reads
        // with its column; a sideways line of its own stays sideways.
        AssemblyCase{"SidewaysDigitsInAColumnReadWithTheColumn",
                     {Word("第", 512.9, 88.7, 522.5, 98.3, 9.6, 1, true), Word("2", 513.3, 100.7, 522.2, 105.7, 10, 1),
                      Word("章", 512.9, 108.1, 522.5, 117.6, 9.6, 1, true),
                      Word("工事の結果", 495.9, 88.7, 505.5, 136.7, 9.6, 1, true),
                      Word("Fig.", 300.1, 400, 309, 416, 10, 1), Word("3", 300.1, 419, 309, 424, 10, 1)},
                     {{"第2章", kVertical}, {"工事の結果", kVertical}, {"Fig. 3"}}},
        // A heading set glyph by glyph down the page in a horizontal font,
        // and a table column of single kanji at an ordinary line pitch.
        AssemblyCase{"GlyphsStackedDownAColumnAreOneVerticalLine",
                     {Word("第", 500, 100, 510, 113, 10), Word("一", 500, 110, 510, 123, 10),
                      Word("章", 500, 120, 510, 133, 10), Word("総", 500, 140, 510, 153, 10),
                      Word("則", 500, 150, 510, 163, 10), Word("有", 100, 300, 110, 313, 10),
                      Word("無", 100, 315, 110, 328, 10)},
                     {{"第一章　総則", kVertical}, {"有"}, {"無"}}},
        // Boxes as upLaTeX writes a table turned to read upwards and a
        // caption turned to read downwards on an upright page.
        AssemblyCase{"TurnedTextIsReadInItsOwnDirection",
                     {Word("数量", 146.9, 152.7, 156.1, 171.9, 9.6, 3), Word("320", 161.8, 157.0, 170.7, 171.9, 10, 3),
                      Word("m", 161.8, 145.4, 170.7, 153.7, 10, 3), Word("工種", 146.9, 193.2, 156.1, 212.4, 9.6, 3),
                      Word("Item", 161.8, 192.2, 170.7, 212.4, 10, 3), Word("1", 161.8, 183.9, 170.7, 188.9, 10, 3),
                      Word("表の前", 143.4, 130.3, 172.1, 139.5, 9.6), Word("下向き", 175.4, 218.4, 184.6, 247.1, 9.6, 1),
                      Word("Down", 175.8, 250.4, 184.6, 275.5, 10, 1), Word("text", 175.8, 278.8, 184.6, 296.2, 10, 1)},
                     {{"表の前"}, {"下向きDown text"}, {"工種　　数量"}, {"Item 1 320 m"}}}),
    [](const ::testing::TestParamInfo<AssemblyCase>& info) { return std::string(info.param.name); });

TEST(LineAssembly, LineBoxIsTheUnionOfItsWords) {
  const PageLines page = AssembleLines(
      {Word("第2章", 71, 67.1, 113.4, 85.3, 14), Word("（案）", 116, 73.5, 147.5, 87.2, 10.5)}, 595, 842);
  ASSERT_EQ(page.lines.size(), 1u);
  EXPECT_EQ(page.lines[0].box, (TextRect{71, 67.1, 147.5, 87.2}));
}

}  // namespace
}  // namespace vellumark::acrobat

#pragma once
// A page's text boxes (words as the text extractor cut them, with their
// positions) assembled into the lines a reader sees, by geometry alone.
// Free of any PDF library's types, so the rules can be pinned down on
// boxes made up in a test.
#include <string>
#include <vector>

#include "acrobat/engine.h"

namespace vellumark::acrobat {

// One word of a page as the text extractor reports it.
struct TextBox {
  std::string text;  // UTF-8
  TextRect box;      // as the page is shown: points, y down
  double fontSize = 0;
  // The font writes top to bottom (縦書き); such words come stacked in a
  // column, their glyphs upright.
  bool verticalWriting = false;
  // Quarter turns clockwise of the word's reading direction on the shown
  // page: 0 reads left to right, 1 top to bottom (also every column of
  // vertical writing), 2 right to left upside down, 3 bottom to top.
  int rotation = 0;
  bool spaceAfter = false;  // the extractor saw a space behind the word
};

// The lines of a page of `pageWidth` x `pageHeight` points made from its
// boxes:
// - Boxes of one reading direction whose extents across the line overlap
//   by at least half the smaller one form one line, read along the line;
//   lines are stacked in the order a reader takes them.
// - Between two words next to a CJK character, a gap under 0.8 em joins
//   them without a space (word processors set digits a quarter em off
//   kanji, "第 1 章", which a reader reads "第1章"); a wider gap is one
//   U+3000. Between other words a gap of 0.12 em or more is one ASCII
//   space. A gap of 2 em or more is one U+3000 whatever stands beside it,
//   so a contents line with its leader left blank or a running head with
//   text at both ends stays one line with one separator. A U+3000 the
//   producer wrote stays as it is. An em is what a full-width glyph of the
//   word is drawn as, or else its font size.
// - Vertical writing, and single CJK glyphs stacked a character apart in
//   one column, are read as columns top to bottom (kVertical); on a page
//   mostly in vertical writing the columns are read right to left, after
//   any horizontal line above them.
// - A line set at 0.6 of the size or less, tight above a line (right of a
//   column) and within its extent, is ruby and left out.
// - Text turned on the page (a landscape table on a portrait page) is read
//   in its own direction, after the upright text.
PageLines AssembleLines(const std::vector<TextBox>& boxes, double pageWidth, double pageHeight);

}  // namespace vellumark::acrobat

#include "acrobat/line_assembly.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <utility>

#include "platform/utf8.h"

namespace vellumark::acrobat {

namespace {

// Two boxes stand on one line when their extents across the line overlap by
// half the smaller one: a superscript or a smaller word on the same baseline
// overlaps fully, while the boxes of consecutive lines, which poppler draws
// from descender to ascender, overlap by a fifth at most even when set solid.
constexpr double kSameLineOverlap = 0.5;
// Gaps along the line, in the em of the words beside them (GapEm).
constexpr double kIdeographicGapEm = 0.8;  // about an ideographic space
// Next to Japanese text a gap below this is the spacing word processors and
// TeX put between kanji and digits (a quarter em), not a space anybody typed;
// from it up to an ideographic space's width it is a half-width space.
constexpr double kJapaneseSpaceGapEm = 0.4;
constexpr double kWordGapEm = 0.12;        // above kerning, below a thin space
constexpr double kWideGapEm = 2.0;         // a blank leader, a tab stop
constexpr double kMaxGapSpaces = 8;
// Ruby is set at half the size of its base, tight above it.
constexpr double kRubySizeRatio = 0.6;
constexpr double kRubyDistanceEm = 0.3;   // of the base size
constexpr double kRubyOverhangEm = 0.5;   // past either end of the base
// Glyphs drawn one by one down a column: one below the other at a pitch of
// about one em (ordinary lines of single characters are set at 1.3 em and
// more), each within the column of the one above.
constexpr double kStackedMinPitchEm = 0.5;
constexpr double kStackedMaxPitchEm = 1.15;
constexpr double kStackedColumnOverlap = 0.5;
// Two such columns, one straight below the other with one glyph's place
// left blank between them, are one column with an ideographic space
// ("第一章　総則"); a lone glyph never starts one, so single-character
// cells of a table stay rows.
constexpr double kStackedBlankPitchEm = 2.15;
constexpr double kStackedSizeRatio = 1.3;
// Sizes closer than this count as one size when finding a line's size.
constexpr double kSameSizeTolerance = 0.05;
// How many of the most recent open lines (or columns) a box is matched
// against, and how many lines below a small line are tried as its base:
// a page holds far fewer lines side by side, and the bounds keep a hostile
// page of 100,000 boxes near linear.
constexpr std::size_t kMaxOpenLines = 256;
constexpr std::size_t kRubyBaseWindow = 32;

constexpr char32_t kIdeographicSpace = U'\u3000';

// Characters of Japanese text: a gap next to one is judged by Japanese
// setting, not by Latin word spacing.
bool IsCjk(char32_t c) {
  return (c >= 0x2E80 && c <= 0x2FDF)      // radicals, Kangxi radicals
         || (c >= 0x3000 && c <= 0x30FF)   // CJK punctuation, kana
         || (c >= 0x31F0 && c <= 0x9FFF)   // kana extensions .. unified ideographs
         || (c >= 0xF900 && c <= 0xFAFF)   // compatibility ideographs
         || (c >= 0xFE30 && c <= 0xFE4F)   // vertical forms of punctuation
         || (c >= 0xFF00 && c <= 0xFFEF)   // full-width and half-width forms
         || (c >= 0x20000 && c <= 0x3FFFF);
}

// Forms in the full-width block that are set half an em wide: half-width
// katakana, the half-width middle dot of contents leaders, arrows.
bool IsHalfWidthForm(char32_t c) { return (c >= 0xFF61 && c <= 0xFFDC) || (c >= 0xFFE8 && c <= 0xFFEE); }

// A rectangle turned so that its text reads along +u and its lines follow
// each other along +v: every reading direction is assembled as if it were
// ordinary horizontal text.
struct FrameRect {
  double u0 = 0;
  double v0 = 0;
  double u1 = 0;
  double v1 = 0;
};

FrameRect ToFrame(const TextRect& r, int turns) {
  switch (turns) {
    case 1:  // reads down, lines (columns) follow right to left
      return {r.top, -r.right, r.bottom, -r.left};
    case 2:  // reads right to left upside down, lines follow upwards
      return {-r.right, -r.bottom, -r.left, -r.top};
    case 3:  // reads up, lines follow left to right
      return {-r.bottom, r.left, -r.top, r.right};
    default:
      return {r.left, r.top, r.right, r.bottom};
  }
}

struct Piece {
  std::u32string text;
  TextRect page;
  FrameRect frame;
  double size = 0;
  // The em read off the word's full-width characters, each one em along the
  // line (other characters taken as half an em); 0 for a word without any.
  double glyphEm = 0;
  bool spaceAfter = false;
  bool verticalWriting = false;
};

// A line of one reading direction, with its extent in that direction's
// frame for the ordering and ruby rules.
struct Assembled {
  TextLine line;
  FrameRect frame;
  std::vector<Piece> pieces;  // along the line
};

TextRect Union(const TextRect& a, const TextRect& b) {
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

FrameRect Union(const FrameRect& a, const FrameRect& b) {
  return {std::min(a.u0, b.u0), std::min(a.v0, b.v0), std::max(a.u1, b.u1), std::max(a.v1, b.v1)};
}

// The em a gap is measured in: the font size, or for a box without one the
// box's extent across the line.
double EmOf(const Piece& piece) {
  return piece.size > 0 ? piece.size : piece.frame.v1 - piece.frame.v0;
}

double GlyphEmOf(const std::u32string& text, double extent) {
  double ems = 0;
  bool fullWidth = false;
  for (char32_t c : text) {
    const bool full = IsCjk(c) && !IsHalfWidthForm(c);
    fullWidth = fullWidth || full;
    ems += full ? 1.0 : 0.5;
  }
  return fullWidth && extent > 0 ? extent / ems : 0;
}

// The em a word is drawn in. Full-width glyphs show it as drawn: some
// producers (Chromium's headings) report twice the size the glyphs are set
// in, which would halve every gap. The reported size still caps the
// estimate, so letter-spaced glyphs do not widen it.
double DrawnEm(const Piece& piece) {
  if (piece.glyphEm > 0) return piece.size > 0 ? std::min(piece.size, piece.glyphEm) : piece.glyphEm;
  return EmOf(piece);
}

// The em of the gap between two words: of the Japanese one where there is
// one (the digits of "1.1" say nothing about the em of the title behind).
double GapEm(const Piece& before, const Piece& after) {
  if (before.glyphEm > 0 || after.glyphEm > 0) {
    return std::max(before.glyphEm > 0 ? DrawnEm(before) : 0.0, after.glyphEm > 0 ? DrawnEm(after) : 0.0);
  }
  return std::max(EmOf(before), EmOf(after));
}

// What a reader sees between two words of one line.
std::u32string Separator(const Piece& before, const Piece& after) {
  const char32_t last = before.text.back();
  const char32_t first = after.text.front();
  // The producer's own ideographic space already separates them.
  if (last == kIdeographicSpace || first == kIdeographicSpace) return {};
  const double gap = after.frame.u0 - before.frame.u1;
  const double em = GapEm(before, after);
  // A wide gap reads one ideographic space per em of it, so a reader of
  // the line can still tell a page number set far off from one a space
  // away; a gap across half the page is eight.
  if (gap >= kWideGapEm * em) {
    return std::u32string(static_cast<std::size_t>(std::min(kMaxGapSpaces, std::floor(gap / em))), kIdeographicSpace);
  }
  if (IsCjk(last) || IsCjk(first)) {
    if (gap >= kIdeographicGapEm * em) return std::u32string(1, kIdeographicSpace);
    return gap >= kJapaneseSpaceGapEm * em ? U" " : std::u32string();
  }
  if (gap >= kWordGapEm * em || (before.spaceAfter && gap > 0)) return U" ";
  return {};
}

// The size most of the characters are set in; of two sizes with as many
// characters, the larger.
double DominantSize(const std::vector<Piece>& pieces) {
  std::vector<std::pair<double, std::size_t>> sizes;
  sizes.reserve(pieces.size());
  for (const auto& piece : pieces) sizes.emplace_back(piece.size, piece.text.size());
  std::sort(sizes.begin(), sizes.end());
  double best = 0;
  std::size_t bestCount = 0;
  for (std::size_t k = 0; k < sizes.size();) {
    const double runSize = sizes[k].first;
    std::size_t count = 0;
    double largest = runSize;
    for (; k < sizes.size() && sizes[k].first - runSize <= kSameSizeTolerance; ++k) {
      count += sizes[k].second;
      largest = sizes[k].first;
    }
    if (count >= bestCount) {
      best = largest;
      bestCount = count;
    }
  }
  return best;
}

// One line from pieces of one frame: ordered along the line and joined by
// the gap rules.
Assembled BuildLine(std::vector<Piece> pieces, WritingDirection direction) {
  std::stable_sort(pieces.begin(), pieces.end(),
                   [](const Piece& a, const Piece& b) { return a.frame.u0 < b.frame.u0; });
  Assembled out;
  out.line.direction = direction;
  out.line.box = pieces.front().page;
  out.frame = pieces.front().frame;
  std::u32string text;
  for (std::size_t k = 0; k < pieces.size(); ++k) {
    if (k > 0) {
      text += Separator(pieces[k - 1], pieces[k]);
      out.line.box = Union(out.line.box, pieces[k].page);
      out.frame = Union(out.frame, pieces[k].frame);
    }
    text += pieces[k].text;
  }
  out.line.text = platform::ToUtf8(text);
  out.line.fontSize = DominantSize(pieces);
  out.pieces = std::move(pieces);
  return out;
}

double Overlap(double a0, double a1, double b0, double b1) { return std::min(a1, b1) - std::max(a0, b0); }

// Groups pieces that share a band across the reading direction into lines,
// in reading order (band by band, each along the line). Sorting by the
// band's start and sweeping keeps only the lines a later piece can still
// overlap open.
std::vector<Assembled> AssembleFrame(std::vector<Piece> pieces, WritingDirection direction) {
  std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) {
    return a.frame.v0 != b.frame.v0 ? a.frame.v0 < b.frame.v0 : a.frame.u0 < b.frame.u0;
  });
  struct Band {
    double v0;
    double v1;
    std::vector<Piece> pieces;
  };
  std::vector<Band> bands;
  std::vector<std::size_t> open;  // indexes into bands, oldest first
  for (auto& piece : pieces) {
    const double v0 = piece.frame.v0;
    const double v1 = piece.frame.v1;
    // A band ending before this piece starts ends before every later one.
    open.erase(std::remove_if(open.begin(), open.end(), [&](std::size_t b) { return bands[b].v1 <= v0; }), open.end());
    std::size_t best = bands.size();
    double bestShare = kSameLineOverlap;
    const std::size_t tried = std::min(open.size(), kMaxOpenLines);
    for (std::size_t k = open.size() - tried; k < open.size(); ++k) {
      const Band& band = bands[open[k]];
      const double smaller = std::min(v1 - v0, band.v1 - band.v0);
      const double overlap = Overlap(v0, v1, band.v0, band.v1);
      const double share = smaller > 0 ? overlap / smaller : (overlap >= 0 ? 1.0 : 0.0);
      if (share >= bestShare) {
        bestShare = share;
        best = open[k];
      }
    }
    if (best == bands.size()) {
      bands.push_back({v0, v1, {}});
      open.push_back(best);
    } else {
      bands[best].v0 = std::min(bands[best].v0, v0);
      bands[best].v1 = std::max(bands[best].v1, v1);
    }
    bands[best].pieces.push_back(std::move(piece));
  }
  std::vector<Assembled> lines;
  lines.reserve(bands.size());
  for (auto& band : bands) lines.push_back(BuildLine(std::move(band.pieces), direction));
  return lines;
}

// Removes the lines whose mark is set, keeping the order of the rest.
void EraseMarked(std::vector<Assembled>& lines, const std::vector<bool>& marked) {
  std::size_t kept = 0;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (marked[i]) continue;
    if (kept != i) lines[kept] = std::move(lines[i]);
    ++kept;
  }
  lines.resize(kept);
}

bool ByFrameOrder(const Assembled& a, const Assembled& b) {
  return a.frame.v0 != b.frame.v0 ? a.frame.v0 < b.frame.v0 : a.frame.u0 < b.frame.u0;
}

// Leaves out every line that is ruby of another: much smaller, tight before
// it across the line (above a horizontal line, right of a column) and
// within its extent along the line. `lines` share one frame.
void DropRuby(std::vector<Assembled>& lines) {
  std::sort(lines.begin(), lines.end(), ByFrameOrder);
  std::vector<bool> ruby(lines.size(), false);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const Assembled& small = lines[i];
    const double center = (small.frame.v0 + small.frame.v1) / 2;
    const std::size_t end = std::min(lines.size(), i + 1 + kRubyBaseWindow);
    for (std::size_t j = i + 1; j < end && !ruby[i]; ++j) {
      const Assembled& base = lines[j];
      const double size = base.line.fontSize;
      ruby[i] = small.line.fontSize > 0 && small.line.fontSize <= kRubySizeRatio * size &&
                center <= base.frame.v0 + kRubyDistanceEm * size &&
                base.frame.v0 - small.frame.v1 <= kRubyDistanceEm * size &&
                small.frame.u0 >= base.frame.u0 - kRubyOverhangEm * size &&
                small.frame.u1 <= base.frame.u1 + kRubyOverhangEm * size;
    }
  }
  EraseMarked(lines, ruby);
}

bool IsSingleGlyph(const Assembled& line) {
  return line.pieces.size() == 1 && line.pieces.front().text.size() == 1;
}

// Takes out of upright horizontal lines the single glyphs a producer drew
// one below the other to set a column (a vertical heading in a horizontal
// font), and gives them back as vertical lines.
std::vector<Assembled> TakeStackedColumns(std::vector<Assembled>& upright) {
  std::vector<std::size_t> glyphs;
  for (std::size_t i = 0; i < upright.size(); ++i) {
    if (IsSingleGlyph(upright[i])) glyphs.push_back(i);
  }
  std::sort(glyphs.begin(), glyphs.end(),
            [&](std::size_t a, std::size_t b) { return upright[a].line.box.top < upright[b].line.box.top; });
  std::vector<std::vector<std::size_t>> columns;
  std::vector<std::size_t> open;  // indexes into columns, oldest first
  for (std::size_t g : glyphs) {
    const Piece& glyph = upright[g].pieces.front();
    const double em = DrawnEm(glyph);
    auto lastOf = [&](std::size_t c) -> const Piece& { return upright[columns[c].back()].pieces.front(); };
    open.erase(std::remove_if(open.begin(), open.end(), [&](std::size_t c) {
      return glyph.page.top - lastOf(c).page.top > kStackedMaxPitchEm * DrawnEm(lastOf(c));
    }), open.end());
    std::size_t best = columns.size();
    double bestShare = kStackedColumnOverlap;
    const std::size_t tried = std::min(open.size(), kMaxOpenLines);
    for (std::size_t k = open.size() - tried; k < open.size(); ++k) {
      const Piece& above = lastOf(open[k]);
      const double pitch = glyph.page.top - above.page.top;
      const double aboveEm = DrawnEm(above);
      const double sizeRatio = std::max(em, aboveEm) / std::max(std::min(em, aboveEm), 1e-9);
      const double narrower = std::min(glyph.page.right - glyph.page.left, above.page.right - above.page.left);
      const double overlap = Overlap(glyph.page.left, glyph.page.right, above.page.left, above.page.right);
      const double share = narrower > 0 ? overlap / narrower : 0.0;
      if (pitch >= kStackedMinPitchEm * aboveEm && pitch <= kStackedMaxPitchEm * aboveEm &&
          sizeRatio <= kStackedSizeRatio && share >= bestShare) {
        bestShare = share;
        best = open[k];
      }
    }
    if (best == columns.size()) {
      columns.push_back({});
      open.push_back(best);
    }
    columns[best].push_back(g);
  }
  // Only columns of two glyphs or more, mostly Japanese: a column of single
  // digits in a table is read across, row by row.
  auto first = [&](const std::vector<std::size_t>& column) -> const Piece& {
    return upright[column.front()].pieces.front();
  };
  columns.erase(std::remove_if(columns.begin(), columns.end(), [&](const std::vector<std::size_t>& column) {
    const auto cjk = std::count_if(column.begin(), column.end(),
                                   [&](std::size_t g) { return IsCjk(upright[g].pieces.front().text.front()); });
    return column.size() < 2 || 2 * static_cast<std::size_t>(cjk) <= column.size();
  }), columns.end());
  std::stable_sort(columns.begin(), columns.end(), [&](const auto& a, const auto& b) {
    return first(a).page.top < first(b).page.top;
  });
  std::vector<std::vector<std::size_t>> joined;
  for (auto& column : columns) {
    const Piece& head = first(column);
    std::size_t target = joined.size();
    const std::size_t tried = std::min(joined.size(), kMaxOpenLines);
    for (std::size_t k = joined.size() - tried; k < joined.size() && target == joined.size(); ++k) {
      const Piece& tail = upright[joined[k].back()].pieces.front();
      const double pitch = head.page.top - tail.page.top;
      const double narrower = std::min(head.page.right - head.page.left, tail.page.right - tail.page.left);
      const double overlap = Overlap(head.page.left, head.page.right, tail.page.left, tail.page.right);
      if (pitch > 0 && pitch <= kStackedBlankPitchEm * DrawnEm(tail) && narrower > 0 &&
          overlap >= kStackedColumnOverlap * narrower) {
        target = k;
      }
    }
    if (target == joined.size()) {
      joined.push_back(std::move(column));
    } else {
      joined[target].insert(joined[target].end(), column.begin(), column.end());
    }
  }
  std::vector<Assembled> vertical;
  std::vector<bool> taken(upright.size(), false);
  for (const auto& column : joined) {
    std::vector<Piece> pieces;
    for (std::size_t g : column) {
      Piece piece = upright[g].pieces.front();
      const double em = DrawnEm(piece);
      piece.frame = ToFrame(piece.page, 1);
      // Down the column a glyph takes one em, however tall the font's box
      // is drawn: a blank glyph place then reads as a gap of one em.
      piece.frame.u1 = std::min(piece.frame.u1, piece.frame.u0 + em);
      pieces.push_back(std::move(piece));
      taken[g] = true;
    }
    vertical.push_back(BuildLine(std::move(pieces), WritingDirection::kVertical));
  }
  EraseMarked(upright, taken);
  return vertical;
}

std::size_t CharCount(const std::vector<Assembled>& lines) {
  std::size_t count = 0;
  for (const auto& line : lines) {
    for (const auto& piece : line.pieces) count += piece.text.size();
  }
  return count;
}

bool Finite(const TextRect& r) {
  return std::isfinite(r.left) && std::isfinite(r.top) && std::isfinite(r.right) && std::isfinite(r.bottom);
}

}  // namespace

PageLines AssembleLines(const std::vector<TextBox>& boxes, double pageWidth, double pageHeight) {
  PageLines page;
  page.width = pageWidth;
  page.height = pageHeight;

  // Pieces by reading direction: upright horizontal text, vertical writing,
  // and horizontal text turned by one, two or three quarter turns.
  std::vector<Piece> upright;
  std::vector<Piece> columns;
  std::map<int, std::vector<Piece>> turned;
  for (const auto& box : boxes) {
    if (!Finite(box.box)) continue;
    Piece piece;
    piece.text = platform::ToU32(box.text);
    // Blanks carry no text of their own: the gap rules make the spaces.
    if (piece.text.find_first_not_of(U" \t\r\n") == std::u32string::npos) continue;
    piece.page = {std::min(box.box.left, box.box.right), std::min(box.box.top, box.box.bottom),
                  std::max(box.box.left, box.box.right), std::max(box.box.top, box.box.bottom)};
    piece.size = std::isfinite(box.fontSize) && box.fontSize > 0 ? box.fontSize : 0;
    piece.spaceAfter = box.spaceAfter;
    piece.verticalWriting = box.verticalWriting;
    const int turns = ((box.rotation % 4) + 4) % 4;
    if (box.verticalWriting) {
      // Vertical writing is read down its columns whatever turn the
      // extractor gives it (poppler reports it as one quarter turn).
      piece.frame = ToFrame(piece.page, 1);
      piece.glyphEm = GlyphEmOf(piece.text, piece.frame.u1 - piece.frame.u0);
      columns.push_back(std::move(piece));
    } else {
      piece.frame = ToFrame(piece.page, turns);
      piece.glyphEm = GlyphEmOf(piece.text, piece.frame.u1 - piece.frame.u0);
      (turns == 0 ? upright : turned[turns]).push_back(std::move(piece));
    }
  }

  // On a page in vertical writing, words turned a quarter are mostly Latin
  // letters and digits set sideways inside a column ("第2章" with a turned
  // "2"): they are read with the column they stand in. What forms lines of
  // its own there is sideways text, read as such.
  std::vector<Assembled> sideways;
  if (!columns.empty()) {
    if (auto down = turned.find(1); down != turned.end()) {
      for (auto& piece : down->second) columns.push_back(std::move(piece));
      turned.erase(down);
    }
  }
  std::vector<Assembled> horizontal = AssembleFrame(std::move(upright), WritingDirection::kHorizontal);
  std::vector<Assembled> vertical = AssembleFrame(std::move(columns), WritingDirection::kVertical);
  std::vector<bool> turnedText(vertical.size(), false);
  for (std::size_t k = 0; k < vertical.size(); ++k) {
    std::size_t verticalChars = 0;
    std::size_t chars = 0;
    for (const auto& piece : vertical[k].pieces) {
      chars += piece.text.size();
      if (piece.verticalWriting) verticalChars += piece.text.size();
    }
    if (2 * verticalChars >= chars) continue;
    turnedText[k] = true;
    vertical[k].line.direction = WritingDirection::kHorizontal;
    sideways.push_back(std::move(vertical[k]));
  }
  EraseMarked(vertical, turnedText);
  DropRuby(sideways);
  for (auto& column : TakeStackedColumns(horizontal)) vertical.push_back(std::move(column));
  DropRuby(horizontal);
  DropRuby(vertical);  // sorted right to left, each column top to bottom

  auto emit = [&](std::vector<Assembled>& lines) {
    for (auto& line : lines) page.lines.push_back(std::move(line.line));
  };
  if (!vertical.empty() && CharCount(vertical) > CharCount(horizontal)) {
    // A page in vertical writing: a title or running head above the
    // columns comes first, then the columns, then the rest (a page number).
    double columnsTop = std::numeric_limits<double>::infinity();
    for (const auto& line : vertical) columnsTop = std::min(columnsTop, line.line.box.top);
    auto rest = std::stable_partition(horizontal.begin(), horizontal.end(),
                                      [&](const Assembled& line) { return line.line.box.bottom <= columnsTop; });
    std::vector<Assembled> below(std::make_move_iterator(rest), std::make_move_iterator(horizontal.end()));
    horizontal.erase(rest, horizontal.end());
    emit(horizontal);
    emit(vertical);
    emit(below);
  } else {
    // A horizontal page: a column (a label in a figure) takes its place by
    // its top, as a reader meets it going down the page.
    for (auto& line : vertical) {
      line.frame = ToFrame(line.line.box, 0);
      horizontal.push_back(std::move(line));
    }
    std::stable_sort(horizontal.begin(), horizontal.end(), ByFrameOrder);
    emit(horizontal);
  }
  emit(sideways);
  for (auto& group : turned) {
    std::vector<Assembled> lines = AssembleFrame(std::move(group.second), WritingDirection::kHorizontal);
    DropRuby(lines);
    emit(lines);
  }
  return page;
}

}  // namespace vellumark::acrobat

#pragma once
// How one conversion runs: the options the front ends fill in and the rules
// for the part size limit. Kept apart from the driver (conversion.h) so that
// code which only makes options, such as the settings library, builds and
// links without the PDF engine.
#include <cstdint>
#include <optional>
#include <string>

namespace vellumark::pipeline {

// Where the headings come from.
enum class HeadingSource {
  kContentsPage,  // the document's own contents page, "目次" to "END"
  kAllPages,      // every page scanned
};

// Where a part file may begin when the job is saved in parts. The values
// are the order of the window's buttons, and the split plan takes the first
// three as the depth of headings it cuts at.
enum class SplitUnit {
  kChapter = 0,
  kSection = 1,
  kAllHeadings = 2,
  kSizeOnly = 3,  // anywhere, by size alone
};

// Which pages get an embedded thumbnail.
enum class ThumbnailRange {
  kAllPages,
  kFirstPage,
};

// The limit the initial size of 1 MB gives (SizeLimitFromText("1")).
inline constexpr std::int32_t kInitialPartSizeLimit = 838'861;

// How one conversion runs. The front ends fill it from their own
// settings (the settings library maps the stored record).
struct ConversionOptions {
  HeadingSource headingSource = HeadingSource::kContentsPage;
  // The leader character of the contents page (UTF-8); empty: the contents
  // page gives no heading.
  std::string delimiter = "\xEF\xBD\xA5";  // "･"
  // Bookmarks are made even for headings whose page lies past the document.
  bool forceBookmarks = true;
  ThumbnailRange thumbnails = ThumbnailRange::kAllPages;
  // Thumbnails the source files bring are deleted before new ones are made.
  bool deleteThumbnailsFirst = true;
  // The largest part file in bytes; none: the job is saved as one file.
  std::optional<std::int32_t> partSizeLimit = kInitialPartSizeLimit;
  SplitUnit splitUnit = SplitUnit::kChapter;
  // Every part carries the whole bookmark tree of the job, the headings of
  // other parts as links into them.
  bool fullOutline = false;
  // A heading list file beside the parent ("報告書.headings.tsv"), when there
  // is one, gives the headings instead of the recognisers. Off where the
  // headings are recognised in order to write that file.
  bool headingListFile = true;
};

// (MB - 0.2) * 1024 * 1024 rounded half to even: 1 -> 838,861 bytes,
// 2048 -> 2,147,273,933. Throws UserError when the text is not a whole
// number from 1 to 2048.
std::int32_t SizeLimitFromText(const std::string& sizeText);

// Message for a size text a split batch cannot run with, or nullopt when fine.
std::optional<std::string> CheckSizeText(const std::string& sizeText);

}  // namespace vellumark::pipeline

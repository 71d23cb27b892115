#pragma once
// Writing the working document of a split job as numbered part files that
// each stay within the size limit, cut along the split plan or by size
// alone, with bookmarks that lead from one part into another. Internal to
// the pipeline: JobSteps hands a PartWriter the finished working document
// and the job's facts, and the writer keeps everything the cutting needs.
//
// Its code: part_writer.cpp (the frame, measuring and writing a part),
// part_writer_split.cpp (the cuts along the plan and by size) and
// part_writer_links.cpp (the links between the parts and their warnings).
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "acrobat/engine.h"
#include "bookmarks/bookmark_tree.h"
#include "bookmarks/heading_list.h"
#include "pipeline/conversion_options.h"
#include "pipeline/cut_search.h"
#include "pipeline/working_files.h"
#include "platform/status_sink.h"

namespace vellumark::pipeline {

// The plan entries chosen by the split unit: chapters, chapters and
// sections, or every heading. The size-only unit gives an empty plan.
bookmarks::HeadingList SelectSplitPlan(const bookmarks::HeadingList& headings, SplitUnit unit);

// The length of a saved file; throws UserError naming it when it cannot be
// read (the size test must never pass on a file that is not there).
long long SavedFileLength(const std::filesystem::path& path);

// A warning `head` followed by the first few `titles` in 「」, the rest
// counted ("ほか N 件"): a long report may name hundreds.
std::string TitlesWarning(const std::string& head, const std::vector<std::string>& titles);

// The titles of the bookmarks whose page lies in no file of the job, each
// once in the order met: forced creation repeats the later headings in
// every part, and the user needs each named only once.
class OutsideBookmarks {
 public:
  void Note(const bookmarks::BuiltBookmarks& built);
  // The warning naming the first few of them, or nothing when there are none.
  std::optional<std::string> Warning() const;

 private:
  std::vector<std::string> titles_;
};

// What the parts take from the job, fixed once its headings are known.
struct PartJob {
  std::filesystem::path outputPath;  // the one-file name; the parts are numbered beside it
  std::int32_t sizeLimit = 0;        // bytes a part file may hold
  int frontPageCount = 0;            // pages ahead of the first printed page number
  // What every part carries as its properties, like the one-file output.
  acrobat::DocumentInfo documentInfo;
};

class PartWriter {
 public:
  // Something the user must hear of although the job goes on (a part over
  // the limit, bookmarks that lead nowhere).
  using WarnFunction = std::function<void(const std::string&)>;

  // `headings` is the job's heading list, the source of every part's
  // bookmarks and, through the split unit of `options`, of the split plan.
  PartWriter(acrobat::Engine& engine, const WorkingFiles& files, platform::StatusSink& status,
             const ConversionOptions& options, const bookmarks::HeadingList& headings, PartJob job,
             WarnFunction warn, CutSearch cutSearch);
  PartWriter(const PartWriter&) = delete;
  PartWriter& operator=(const PartWriter&) = delete;

  // Writes `work` as the parts "<name>_001.PDF", "<name>_002.PDF", … beside
  // the output path, puts right the links between them once all stand, and
  // warns once about bookmarks that lead outside the job. Consumes `work`'s
  // pages in the size-only cut.
  void WriteParts(acrobat::Document& work);

 private:
  // One question the bookmarks of a written part asked about a page outside
  // it, and the answer they were made with.
  struct LinkUse {
    long long pageIndex;
    std::optional<bookmarks::RemoteTarget> answer;
  };
  struct WrittenPart {
    std::filesystem::path path;
    int firstPage = 0;  // page index in the working document
    int pageCount = 0;
    std::vector<LinkUse> links;
    // Over the limit as first written (a single page larger than it): the
    // user heard so then, and the links are not to blame.
    bool overLimit = false;
  };

  // A file the size tests save into, and what it holds: the part state of
  // `document` with `pageCount` pages and bookmarks built from `pageOffset`,
  // `size` bytes long. Saves are deterministic, so while that state stands
  // the file is the part file a save would write. `document` is null when
  // the file holds nothing of use.
  struct MeasuringFile {
    std::filesystem::path path;
    const acrobat::Document* document = nullptr;
    int pageCount = 0;
    int pageOffset = 0;
    long long size = 0;
  };

  // The next number and file name of a part.
  void NextPartName();
  // The parts as the split unit cuts them, each written with its links as
  // far as they are known.
  void SplitByUnit(acrobat::Document& work);
  // Cuts `work` at the plan's headings: a part takes ranges while it stays
  // within the limit; a range that fits in no part is cut by size.
  void SplitAndSave(acrobat::Document& work, const bookmarks::HeadingList& plan);
  // Writes `document` as parts of at most sizeLimit from its front: cuts by
  // size while its saved size is over, then writes what is left as the part
  // at partPath_. The size-only mode runs it on the working document.
  void SaveWithinLimit(acrobat::Document& document);
  // Writes the longest leading run of `document` that fits as the part at
  // partPath_, deletes those pages from `document`, names the next part and
  // returns the run's length. A first page over the limit on its own is
  // written alone with a warning. Returns 0, writing nothing, when the
  // whole document fits once copied.
  int CutPartBySize(acrobat::Document& document);

  // Whether the part saved from `document` as it stands would be over
  // sizeLimit. Saves it into `file` to find out, unless the lower bound or
  // what the file already holds gives the answer (not in the plain path).
  bool IsOverLimit(acrobat::Document& document, MeasuringFile& file);
  // Builds the part's bookmarks quietly, saves it into `file` and returns
  // the file's length: what the part file will measure.
  long long Measure(acrobat::Document& document, MeasuringFile& file);
  bool Holds(const MeasuringFile& file, const acrobat::Document& document) const;
  // What a measuring file holds of `document` is of no use once it is
  // closed (another may take its place in memory) or its pages change
  // other than at the end.
  void Forget(const acrobat::Document& document);
  // Bookmarks for the part starting at pageOffset_, then the backed-up part
  // file at partPath_: `file` moved into place when it holds this very
  // state, else a save. pageOffset_ moves past the part's pages.
  void WritePart(acrobat::Document& document, MeasuringFile& file);
  // The opening state, the properties and the bookmarks of the part that
  // starts at `firstPage` of the working document, before any save of it.
  // `uses`, when given, logs the questions the bookmarks asked about pages
  // outside the part (see LinkUse).
  bookmarks::BuiltBookmarks PreparePart(acrobat::Document& document, int firstPage, platform::StatusSink& sink,
                                        std::vector<LinkUse>* uses = nullptr);

  // --- links between the parts (part_writer_links.cpp) ---
  // The bookmark options of the part that starts at `firstPage` of the
  // working document and holds `pageCount` pages; its questions are logged
  // into `uses` when it is given.
  bookmarks::BookmarkOptions PartBookmarkOptions(int firstPage, int pageCount, std::vector<LinkUse>* uses);
  // The file of the job holding page `workPage` of the working document. A
  // page of a part not yet written is taken to lie in the next part, which
  // starts behind the part being made (`partEnd`); RelinkParts puts right
  // what that guess got wrong.
  std::optional<bookmarks::RemoteTarget> LocateInJob(long long workPage, long long partEnd) const;
  // Once every part is written: rebuilds the bookmarks of each part whose
  // links into later parts were guessed wrong, and saves it again.
  void RelinkParts();

  // False in the plain path, which tests every size with a save and saves
  // every part file anew.
  bool UsesShortcuts() const { return cutSearch_ == CutSearch::kBisect; }

  acrobat::Engine& engine_;
  const WorkingFiles& files_;
  platform::StatusSink& status_;
  const ConversionOptions& options_;
  const bookmarks::HeadingList& headings_;
  const PartJob job_;
  WarnFunction warn_;
  CutSearch cutSearch_;

  std::filesystem::path partPath_;  // the part being made
  int partCounter_ = 0;
  int pageOffset_ = 0;     // page of the working document the part being made starts at
  int jobPageCount_ = 0;   // pages of the working document when saving starts
  MeasuringFile temp_;     // "temp.pdf": whole parts and the size-only document
  MeasuringFile cutFile_;  // "defQ.PDF": the runs of the size cut
  std::vector<WrittenPart> parts_;
  OutsideBookmarks outside_;
  bool earlierPartsSetAside_ = false;
};

}  // namespace vellumark::pipeline

#pragma once
// The job state of one conversion and the steps that work on it, in the
// order the driver runs them. Internal to the pipeline: the front ends use
// Conversion (conversion.h).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acrobat/engine.h"
#include "bookmarks/bookmark_tree.h"
#include "bookmarks/heading_list.h"
#include "pipeline/conversion.h"
#include "pipeline/cut_search.h"
#include "pipeline/working_files.h"
#include "platform/status_sink.h"

namespace vellumark::pipeline {

// The opening state of every output file: first page, 100 %, bookmarks pane.
inline constexpr acrobat::OpeningView kOpeningView{0, 100, true};

// Opens `path` in a view and keeps the pair; closes both when it goes out of
// scope without Close() having been called (a failing step), so no engine
// object of a failed job outlives it.
class OpenedDocument {
 public:
  OpenedDocument(acrobat::Engine& engine, const std::filesystem::path& path);
  OpenedDocument(const OpenedDocument&) = delete;
  OpenedDocument& operator=(const OpenedDocument&) = delete;
  ~OpenedDocument();

  acrobat::View& view() { return *view_; }
  acrobat::Document& doc() { return *doc_; }
  // Closes the document, then the view, without saving.
  void Close();

 private:
  std::unique_ptr<acrobat::View> view_;
  acrobat::Document* doc_ = nullptr;
  bool closed_ = false;
};

// The plan entries chosen by the split unit: 0 chapters (2 fields), 1
// chapters and sections (at most 3 fields), 2 every heading. Any other unit
// gives an empty plan.
bookmarks::HeadingList SelectSplitPlan(const bookmarks::HeadingList& headings, int opSplit);

class JobSteps {
 public:
  JobSteps(acrobat::Engine& engine, const WorkingFiles& files, platform::StatusSink& status,
           const ConversionOptions& options, bookmarks::HeadingList& lstMokuji, std::vector<std::string>& warnings,
           CutSearch cutSearch);

  // --- job state ---
  std::filesystem::path parentPath;
  std::vector<std::filesystem::path> children;  // straight from the job line
  std::filesystem::path outputPath;
  std::filesystem::path partPath;
  std::int32_t sizeLimit = 0;
  int pageOffset = 0;
  int frontPageCount = 0;
  int partCounter = 0;
  std::unique_ptr<OpenedDocument> workAVDoc;  // the working view and its document
  acrobat::Document* workPDDoc = nullptr;
  // What every output file and part of the job carries as its properties;
  // their dates are the time the job started.
  acrobat::DocumentInfo documentInfo;
  acrobat::LocalDateTime conversionTime;

  // --- steps, in the driver's order ---
  void TakeJobLine(const std::string& jobLine);
  // Something the user must hear of although the job goes on (a part written
  // over the limit, contents without an end, bookmarks that lead nowhere):
  // shown as a status and kept, so the front end can tell the user once the
  // batch is over (a status alone is gone with the next one).
  void Warn(const std::string& text);
  void MakeOutputPath();
  void OpenAndAssemble();
  // Returns the appended file's own document information.
  acrobat::DocumentInfo AppendPdfFile(const std::filesystem::path& path);
  void ApplyOpeningView();
  void ApplyThumbnails();
  void RecogniseHeadings();
  void NextPartName();
  void SaveOneFile();
  void SaveInParts();
  // Warns once about the bookmarks made so far whose page lies in no file of
  // the job.
  void ReportOutsideBookmarks();
  void CloseWorkingDocument();

  // --- splitting ---
  void SplitAndSave(const bookmarks::HeadingList& plan);
  // Writes `document` as parts of at most sizeLimit from its front: cuts by
  // size while its saved size is over, then writes what is left as the part
  // at partPath. The size-only mode runs it on the working document.
  void SaveWithinLimit(acrobat::Document& document);
  // Writes the longest leading run of `document` that fits as the part at
  // partPath, deletes those pages from `document`, names the next part and
  // returns the run's length. A first page over the limit on its own is
  // written alone with a warning. Returns 0, writing nothing, when the
  // whole document fits once copied.
  int CutPartBySize(acrobat::Document& document);

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
  // Bookmarks for the part starting at pageOffset, then the backed-up part
  // file at partPath: `file` moved into place when it holds this very
  // state, else a save. pageOffset moves past the part's pages.
  void WritePart(acrobat::Document& document, MeasuringFile& file);
  // `uses`, when given, logs the questions the bookmarks asked about pages
  // outside the part (see LinkUse).
  bookmarks::BuiltBookmarks BuildPartBookmarks(acrobat::Document& document, platform::StatusSink& sink,
                                               std::vector<LinkUse>* uses = nullptr);

  // --- links between the parts (part_links.cpp) ---
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
  // The parts as the split unit cuts them, each written with its links as
  // far as they are known.
  void SplitByUnit();
  void NoteOutside(const bookmarks::BuiltBookmarks& built);
  // The opening state and the bookmarks of a part, before any save of it.
  bookmarks::BuiltBookmarks PreparePart(acrobat::Document& document, platform::StatusSink& sink,
                                        std::vector<LinkUse>* uses = nullptr);
  // False in the plain path, which tests every size with a save and saves
  // every part file anew.
  bool UsesShortcuts() const { return cutSearch_ == CutSearch::kBisect; }

  acrobat::Engine& engine_;
  const WorkingFiles& files_;
  platform::StatusSink& status_;
  const ConversionOptions& options_;
  bookmarks::HeadingList& lstMokuji_;
  std::vector<std::string>& warnings_;
  CutSearch cutSearch_;
  MeasuringFile temp_;     // "temp.pdf": whole parts and the size-only document
  MeasuringFile cutFile_;  // "defQ.PDF": the runs of the size cut
  int jobPageCount_ = 0;   // pages of the working document when saving starts
  std::vector<WrittenPart> parts_;
  std::vector<std::string> outsideTitles_;  // each once, in the order met
  bool earlierPartsSetAside_ = false;
};

// The length of a saved file; throws UserError naming it when it cannot be
// read (the size test must never pass on a file that is not there).
long long SavedFileLength(const std::filesystem::path& path);

}  // namespace vellumark::pipeline

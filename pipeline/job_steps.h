#pragma once
// The job state of one conversion and the steps that work on it, in the
// order the driver runs them; the cutting into part files is a PartWriter's
// (part_writer.h). Internal to the pipeline: the front ends use Conversion
// (conversion.h).
//
// The steps are defined in job_steps.cpp, except those with a file of their
// own: assembly (assembly.cpp), the opening view and the thumbnails
// (opening_view.cpp) and the heading list file (heading_list_input.cpp).
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "bookmarks/page_reading.h"
#include "joblist/job_line.h"
#include "pipeline/conversion_options.h"
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

class JobSteps {
 public:
  JobSteps(acrobat::Engine& engine, const WorkingFiles& files, platform::StatusSink& status,
           const ConversionOptions& options, bookmarks::HeadingList& headings, std::vector<std::string>& warnings,
           CutSearch cutSearch);

  // --- job state ---
  std::filesystem::path parentPath;
  std::vector<std::filesystem::path> children;  // straight from the job line
  std::filesystem::path outputPath;
  int frontPageCount = 0;
  // The number of pages each file of the job gave, parent first.
  std::vector<int> filePageCounts;
  // The merged document the job works on, with its view: one object, so the
  // two can never point at different documents or outlive one another.
  std::unique_ptr<OpenedDocument> workingDocument;
  // What every output file and part of the job carries as its properties;
  // their dates are the time the job started.
  acrobat::DocumentInfo documentInfo;
  acrobat::LocalDateTime conversionTime;

  // --- steps, in the driver's order ---
  void TakeJob(const joblist::Job& job);
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
  void SetPageLabels(const bookmarks::DocumentReading& reading);
  // When the options allow it and the parent has a heading list file beside
  // it, takes the headings from there (document pages, so no front pages)
  // and says so; false when there is none. Throws UserError for a file that
  // cannot be read.
  bool HeadingsFromListFile();
  void SaveOneFile();
  // Hands the working document to a PartWriter (part_writer.h), which cuts
  // it into the numbered part files.
  void SaveInParts();
  void CloseWorkingDocument();

 private:
  acrobat::Engine& engine_;
  const WorkingFiles& files_;
  platform::StatusSink& status_;
  const ConversionOptions& options_;
  bookmarks::HeadingList& headings_;
  std::vector<std::string>& warnings_;
  CutSearch cutSearch_;
};

}  // namespace vellumark::pipeline

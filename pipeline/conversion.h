#pragma once
// One conversion: a job (parent and children) in, the converted file or part files out in
// "変換済み" beside the parent. Holds the job state of the conversion in
// progress; the front ends give it the options and a status sink and read
// back the heading list.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "joblist/job_line.h"
#include "pipeline/cut_search.h"
#include "pipeline/working_files.h"
#include "platform/status_sink.h"

namespace vellumark::pipeline {

class JobSteps;

struct ConversionOptions {
  int fullThumbnail = 0;  // 1: first page only
  int Check1 = 1;         // 1: delete thumbnails before embedding
  int makeBM2mokuji = 0;  // non-zero: scan all pages, else the contents page
  int Check2 = 1;         // 0: bookmarks not forced
  int OpSave = 0;         // non-zero: one file
  int OpSplit = 0;        // 0 chapter, 1 section, 2 all headings, 3 size only
  std::string delimiter = "\xEF\xBD\xA5";  // "･"
  std::string sizeText = "1";              // the MB box as typed
  // Every part carries the whole bookmark tree of the job, the headings of
  // other parts as links into them.
  bool fullOutline = false;
};

// (MB - 0.2) * 1024 * 1024 rounded half to even: 1 -> 838,861 bytes,
// 2048 -> 2,147,273,933. Throws UserError when the text is not a whole
// number from 1 to 2048.
std::int32_t SizeLimitFromText(const std::string& sizeText);

// Message for a size text a split batch cannot run with, or nullopt when fine.
std::optional<std::string> CheckSizeText(const std::string& sizeText);

class Conversion {
 public:
  Conversion(acrobat::Engine& engine, WorkingFiles files, platform::StatusSink& status);
  ~Conversion();

  // Converts one job. On failure the engine objects are closed and the
  // working folder emptied, then the failure goes on to the caller (a
  // UserError naming the file for everything the program checks itself).
  // A bad size text fails the job only in split mode.
  void ConvertJob(const joblist::Job& job, const ConversionOptions& options);

  // The heading list of the last job (kept until the next job starts).
  const bookmarks::HeadingList& headings() const { return headings_; }

  // Warnings of the last job (a part written over the limit because no cut
  // could keep it within), in the order they arose.
  const std::vector<std::string>& warnings() const { return warnings_; }

  // Only assembles the job and recognises the headings (no output written);
  // used by the command line's "headings" command. Cleans up like ConvertJob.
  void RecogniseHeadings(const joblist::Job& job, const ConversionOptions& options);

  // How sizes are tested while splitting. kBisect is the product's; kLinear
  // is the plain algorithm (every test a save, one page at a time, every
  // part saved anew), kept so that tests can check both write the same
  // parts.
  void SetCutSearch(CutSearch search);

  // Where a job takes its date from (the outputs' creation and modification
  // date): the local clock, unless a test fixes it to compare the bytes of
  // two conversions.
  void SetClock(std::function<acrobat::LocalDateTime()> clock);

 private:
  struct State;
  // The frame of every job: "wait", a fresh job state, `steps`, the working
  // folder emptied (also when a step fails, before the failure goes on),
  // "Comp!".
  void RunJob(const ConversionOptions& options, const std::function<void(JobSteps&)>& steps);

  acrobat::Engine& engine_;
  WorkingFiles files_;
  platform::StatusSink& status_;
  bookmarks::HeadingList headings_;
  std::vector<std::string> warnings_;
  std::unique_ptr<State> state_;
};

}  // namespace vellumark::pipeline

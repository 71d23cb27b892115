#pragma once
// One conversion: a job (parent and children) in, the converted file or part
// files out in "変換済み" beside the parent. The front ends give it typed
// options (made from the settings record in settings/conversion_options.h)
// and a status sink, and read back the heading list and the warnings.
//
// To follow one conversion from job to files, read five headers in order:
// joblist/job_line.h (the Job), pipeline/conversion_options.h (the options),
// this one (ConvertJob), pipeline/job_steps.h (the steps of a job, from
// assembly to the save) and pipeline/part_writer.h (the part files of a
// split job). Every PDF operation goes through the engine boundary in
// acrobat/engine.h.
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "acrobat/engine.h"
#include "bookmarks/heading_list.h"
#include "joblist/job_line.h"
#include "pipeline/conversion_options.h"
#include "pipeline/cut_search.h"
#include "pipeline/working_files.h"
#include "platform/status_sink.h"

namespace vellumark::pipeline {

class JobSteps;

class Conversion {
 public:
  Conversion(acrobat::Engine& engine, WorkingFiles files, platform::StatusSink& status);
  ~Conversion();

  // Converts one job. On failure the engine objects are closed and the
  // working folder emptied, then the failure goes on to the caller (a
  // UserError naming the file for everything the program checks itself).
  void ConvertJob(const joblist::Job& job, const ConversionOptions& options);

  // The heading list of the last job (kept until the next job starts).
  // Pages as the recogniser left them: after the contents reading the
  // printed page, counted from the end of the contents.
  const bookmarks::HeadingList& headings() const { return headings_; }

  // The same list with every page the 1-based page of the job's merged
  // document: the form of the heading list file, which reads the same
  // whichever recogniser made it.
  bookmarks::HeadingList HeadingsOnDocumentPages() const;

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
  // The front pages of the last job: printed page P is document page
  // P + frontPageCount_.
  int frontPageCount_ = 0;
  std::vector<std::string> warnings_;
  std::unique_ptr<State> state_;
};

}  // namespace vellumark::pipeline

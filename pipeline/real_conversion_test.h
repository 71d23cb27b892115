#pragma once
// The fixture of the tests that convert real files with the real engine:
// a private docs/ folder to put jobs in, working files of their own, and the
// readers that collect what a job wrote.
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "acrobat/real_engine.h"
#include "joblist/job_line.h"
#include "pipeline/conversion.h"
#include "pipeline/file_names.h"
#include "pipeline/pipeline_test_helpers.h"
#include "pipeline/real_pdf_test_helpers.h"
#include "platform/folders.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline::testing {

class RealConversionTest : public ::testing::Test {
 protected:
  RealConversionTest() { std::filesystem::create_directories(docs); }

  // A copy of the fixture `name` in docs/, under the UTF-8 name `as` when
  // one is given.
  std::filesystem::path CopyFixture(const std::string& name, const std::string& as = "") const {
    const std::filesystem::path copy = docs / platform::PathFromUtf8(as.empty() ? name : as);
    std::filesystem::copy_file(DataFile(name), copy, std::filesystem::copy_options::overwrite_existing);
    return copy;
  }

  // The job of `files`: the first is the parent, the rest its children.
  static joblist::Job JobOf(const std::vector<std::filesystem::path>& files) {
    joblist::Job job{platform::PathToUtf8(files.at(0)), {}};
    for (std::size_t k = 1; k < files.size(); ++k) job.children.push_back(platform::PathToUtf8(files[k]));
    return job;
  }

  // The part files written for `parent`, in number order.
  static std::vector<std::filesystem::path> Parts(const std::filesystem::path& parent) {
    std::vector<std::filesystem::path> parts;
    for (int n = 1; n < 1000 && std::filesystem::exists(PartFileName(OutputPathFor(parent), n)); ++n) {
      parts.push_back(PartFileName(OutputPathFor(parent), n));
    }
    return parts;
  }

  // The text of every page of `files`, file after file.
  static std::vector<std::string> AllPageTexts(const std::vector<std::filesystem::path>& files) {
    std::vector<std::string> texts;
    for (const auto& file : files) {
      const auto pages = PageTexts(file);
      texts.insert(texts.end(), pages.begin(), pages.end());
    }
    return texts;
  }

  testsupport::TempFolder temp;
  std::filesystem::path docs = temp.path() / "docs";
  std::unique_ptr<acrobat::Engine> engine = acrobat::MakeRealEngine();
  RecordingSink status;
  WorkingFiles files = MakeWorkingFiles(temp.path() / "app", temp.path() / "work");
  Conversion conversion{*engine, files, status};
  ConversionOptions options;
};

}  // namespace vellumark::pipeline::testing

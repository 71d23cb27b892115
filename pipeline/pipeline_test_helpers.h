#pragma once
// Shared by the pipeline tests: a status sink that records, and realistic
// fake documents (cover, contents page with leaders and printed page
// numbers, body pages with running headings).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "bookmarks/texts.h"
#include "pipeline/conversion.h"
#include "pipeline/file_names.h"
#include "pipeline/working_files.h"
#include "platform/folders.h"
#include "platform/status_sink.h"
#include "tests/support/fake_engine.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline::testing {

namespace fs = std::filesystem;

class RecordingSink final : public platform::StatusSink {
 public:
  void ShowStatus(const std::string& text) override {
    texts.push_back(text);
    if (onStatus) onStatus(text);
  }
  void Yield() override { ++yields; }
  void Progress(int done, int total) override { progress.emplace_back(done, total); }

  // The texts without the recognisers' and the bookmark builder's own
  // progress, which their tests pin down.
  std::vector<std::string> PipelineTexts() const {
    std::vector<std::string> out;
    for (const auto& t : texts) {
      if (t.rfind(bookmarks::kGetBookmarkStatus, 0) == 0 || t.rfind(bookmarks::kLoadBookmarkStatus, 0) == 0 ||
          t.rfind(bookmarks::kMakeBookmarkStatus, 0) == 0) {
        continue;
      }
      out.push_back(t);
    }
    return out;
  }
  int CountStartingWith(const std::string& prefix) const {
    return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                          [&](const std::string& t) { return t.rfind(prefix, 0) == 0; }));
  }
  int CountContaining(const std::string& part) const {
    return static_cast<int>(std::count_if(texts.begin(), texts.end(),
                                          [&](const std::string& t) { return t.find(part) != std::string::npos; }));
  }

  std::vector<std::string> texts;
  std::vector<std::pair<int, int>> progress;  // (done, total) as reported
  int yields = 0;
  std::function<void(const std::string&)> onStatus;
};

// A contents line as a word processor prints it: title, a run of leaders,
// the printed page number.
inline std::string ContentsLine(const std::string& title, int page) {
  return title + "･････････" + std::to_string(page);
}

inline testsupport::FakePage Page(const std::string& label, const std::string& text, long long weight) {
  testsupport::FakePage page;
  page.text = text;
  page.weight = weight;
  page.label = label;
  return page;
}

// A report as the contents mode expects it: a cover, a contents page listing
// `headings` (title, printed page) and ending in "END", then `bodyPages`
// body pages whose first line is the heading printed on it, if any.
inline std::vector<testsupport::FakePage> ContentsReport(const std::vector<std::pair<std::string, int>>& headings,
                                                         int bodyPages, long long bodyWeight,
                                                         long long frontWeight = 1000) {
  std::vector<testsupport::FakePage> pages;
  pages.push_back(Page("cover", "工事完成図書\r報告書", frontWeight));
  std::string contents = "目 次";
  for (const auto& [title, page] : headings) contents += "\r" + ContentsLine(title, page);
  contents += "\rEND";
  pages.push_back(Page("contents", contents, frontWeight));
  for (int p = 1; p <= bodyPages; ++p) {
    std::string text;
    for (const auto& [title, page] : headings) {
      if (page == p) text += title + "\r";
    }
    text += "本文\r- " + std::to_string(p) + " -";
    pages.push_back(Page("P" + std::to_string(p), text, bodyWeight));
  }
  return pages;
}

// Pages for the all-pages scan: `headingsByPage[i]` is printed on page i+1
// (empty for none). Labels are S1, S2, ...
inline std::vector<testsupport::FakePage> ScannedPages(const std::vector<std::string>& headingsByPage,
                                                       long long weight) {
  std::vector<testsupport::FakePage> pages;
  for (std::size_t i = 0; i < headingsByPage.size(); ++i) {
    std::string text = headingsByPage[i].empty() ? "" : headingsByPage[i] + "\r";
    text += "本文です。\r" + std::to_string(i + 1);
    pages.push_back(Page("S" + std::to_string(i + 1), text, weight));
  }
  return pages;
}

// The titles and the target pages of one level of bookmarks, from the fake
// engine's record or from a written file read back.
template <class Node>
std::vector<std::string> Titles(const std::vector<Node>& nodes) {
  std::vector<std::string> out;
  for (const auto& n : nodes) out.push_back(n.title);
  return out;
}

template <class Node>
std::vector<int> Targets(const std::vector<Node>& nodes) {
  std::vector<int> out;
  for (const auto& n : nodes) out.push_back(n.targetPage);
  return out;
}

// A conversion on the fake engine with its own working, application and
// document folders.
class FakeJobTest : public ::testing::Test {
 protected:
  FakeJobTest() { fs::create_directories(appFolder); }

  fs::path AddPdf(const std::string& name, std::vector<testsupport::FakePage> pages) {
    const fs::path path = docs / platform::PathFromUtf8(name);
    engine.AddFile(path, std::move(pages));
    return path;
  }

  static std::string JobLine(const fs::path& parent, const std::vector<fs::path>& children = {}) {
    return joblist::JoinJobLine(JobOf(parent, children));
  }

  static joblist::Job JobOf(const fs::path& parent, const std::vector<fs::path>& children = {}) {
    joblist::Job job{platform::PathToUtf8(parent), {}};
    for (const auto& child : children) job.children.push_back(platform::PathToUtf8(child));
    return job;
  }

  static fs::path PartPath(const fs::path& parent, int number) {
    return PartFileName(OutputPathFor(parent), number);
  }

  // File names in the parent's output folder, sorted.
  static std::vector<std::string> OutputFiles(const fs::path& parent) {
    std::vector<std::string> names;
    const fs::path folder = OutputPathFor(parent).parent_path();
    if (!fs::exists(folder)) return names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(platform::PathToUtf8(entry.path().filename()));
    std::sort(names.begin(), names.end());
    return names;
  }

  // The page labels of every part file written, part by part.
  std::vector<std::vector<std::string>> PartLabels(const fs::path& parent) const {
    std::vector<std::vector<std::string>> parts;
    // Only files on disk: a rerun after removing the output folder must not
    // see the parts of the run before.
    for (int n = 1; n < 1000 && fs::exists(PartPath(parent, n)); ++n) {
      parts.push_back(engine.SavedAt(PartPath(parent, n)).labels());
    }
    return parts;
  }

  static std::vector<std::string> Concatenated(const std::vector<std::vector<std::string>>& parts) {
    std::vector<std::string> all;
    for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  }

  static std::vector<std::string> LabelsOf(const std::vector<testsupport::FakePage>& pages) {
    std::vector<std::string> labels;
    for (const auto& p : pages) labels.push_back(p.label);
    return labels;
  }

  long long LimitFor(const std::string& sizeText) const { return SizeLimitFromText(sizeText); }

  testsupport::TempFolder temp;
  fs::path docs = temp.path() / "docs";
  fs::path appFolder = temp.path() / "app";
  testsupport::FakeEngine engine;
  RecordingSink status;
  WorkingFiles files = MakeWorkingFiles(appFolder, temp.path() / "work");
  Conversion conversion{engine, files, status};
  ConversionOptions options;
};

}  // namespace vellumark::pipeline::testing

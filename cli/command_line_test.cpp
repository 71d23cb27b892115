// The command line's grammar: every option sets its field of the settings,
// the settings file comes first, and every misuse exits with 2 before
// anything runs.
#include "cli/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>

#include "cli/run_cli.h"
#include "settings/conversion_options.h"
#include "settings/extra_settings.h"
#include "settings/settings.h"
#include "tests/support/temp_folder.h"
#include "vellumark_version.h"

namespace vellumark::cli {
namespace {

namespace fs = std::filesystem;

// The options as one comparable text.
std::string Describe(const pipeline::ConversionOptions& o) {
  std::ostringstream s;
  s << "thumbnails=" << static_cast<int>(o.thumbnails) << " deleteThumbnailsFirst=" << o.deleteThumbnailsFirst
    << " headingSource=" << static_cast<int>(o.headingSource) << " forceBookmarks=" << o.forceBookmarks
    << " partSizeLimit=" << (o.partSizeLimit ? std::to_string(*o.partSizeLimit) : "one file")
    << " splitUnit=" << static_cast<int>(o.splitUnit) << " delimiter=[" << o.delimiter
    << "] fullOutline=" << o.fullOutline;
  return s.str();
}

pipeline::ConversionOptions Initial() { return settings::OptionsFromSettings(settings::SettingsRecord{}); }

TEST(CommandLineTest, EachOptionSetsItsField) {
  struct Case {
    std::vector<std::string> options;
    std::function<void(pipeline::ConversionOptions&)> change;
  };
  const std::vector<Case> cases = {
      {{}, [](auto&) {}},
      {{"--headings", "scan"}, [](auto& o) { o.headingSource = pipeline::HeadingSource::kAllPages; }},
      {{"--headings=contents"}, [](auto&) {}},
      {{"--delimiter", "・"}, [](auto& o) { o.delimiter = "・"; }},
      {{"--delimiter", ""}, [](auto& o) { o.delimiter = ""; }},
      {{"--no-force"}, [](auto& o) { o.forceBookmarks = false; }},
      {{"--one-file"}, [](auto& o) { o.partSizeLimit.reset(); }},
      {{"--split-mb", "5"}, [](auto& o) { o.partSizeLimit = pipeline::SizeLimitFromText("5"); }},
      {{"--one-file", "--split-mb", "5"}, [](auto& o) { o.partSizeLimit = pipeline::SizeLimitFromText("5"); }},
      {{"--split-mb", "5", "--one-file"}, [](auto& o) { o.partSizeLimit.reset(); }},
      {{"--unit", "chapter"}, [](auto& o) { o.splitUnit = pipeline::SplitUnit::kChapter; }},
      {{"--unit", "section"}, [](auto& o) { o.splitUnit = pipeline::SplitUnit::kSection; }},
      {{"--unit", "all"}, [](auto& o) { o.splitUnit = pipeline::SplitUnit::kAllHeadings; }},
      {{"--unit=size"}, [](auto& o) { o.splitUnit = pipeline::SplitUnit::kSizeOnly; }},
      {{"--thumbnails", "first"}, [](auto& o) { o.thumbnails = pipeline::ThumbnailRange::kFirstPage; }},
      {{"--thumbnails", "all"}, [](auto&) {}},
      {{"--keep-thumbnails"}, [](auto& o) { o.deleteThumbnailsFirst = false; }},
      {{"--full-outline"}, [](auto& o) { o.fullOutline = true; }},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"convert"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back("報告書.pdf");
    SCOPED_TRACE(::testing::PrintToString(args));
    const ParseResult parsed = ParseCommandLine(args);
    ASSERT_TRUE(parsed.request.has_value()) << parsed.error;
    pipeline::ConversionOptions expected = Initial();
    c.change(expected);
    EXPECT_EQ(Describe(parsed.request->options), Describe(expected));
    EXPECT_EQ(parsed.request->files, (std::vector<std::string>{"報告書.pdf"}));
  }
}

TEST(CommandLineTest, SettingsFileComesFirstAndOptionsOverrideIt) {
  const testsupport::TempFolder folder;
  const fs::path file = folder / "Vellumark.ini";
  settings::SettingsRecord settings;
  settings.fullThumbnail = 1;
  settings.makeBM2mokuji = 1;
  settings.Text1 = "・";
  settings.OpSave = 1;
  settings.Text2 = 3;
  settings.OpSplit = 2;
  settings::WriteSettingsFile(file, settings);
  // The option the settings file has no room for, from the file beside it.
  settings.fullOutline = true;
  settings::WriteExtraSettingsFile(settings::ExtraSettingsPath(file), settings);

  // --settings after the option it would otherwise override.
  const ParseResult parsed =
      ParseCommandLine({"convert", "--unit", "section", "--settings", file.string(), "a.pdf", "b.pdf"});
  ASSERT_TRUE(parsed.request.has_value()) << parsed.error;
  pipeline::ConversionOptions expected = Initial();
  expected.thumbnails = pipeline::ThumbnailRange::kFirstPage;
  expected.headingSource = pipeline::HeadingSource::kAllPages;
  expected.delimiter = "・";
  expected.partSizeLimit.reset();  // one file; the 3 MB are not used
  expected.splitUnit = pipeline::SplitUnit::kSection;
  expected.fullOutline = true;
  EXPECT_EQ(Describe(parsed.request->options), Describe(expected));
  EXPECT_EQ(parsed.request->files, (std::vector<std::string>{"a.pdf", "b.pdf"}));
}

TEST(CommandLineTest, SplitUnitWithoutAButtonInTheSettingsFileRunsByChapters) {
  // The window shows such a file as "章で分ける"; the command line runs the
  // same file alike instead of refusing it.
  const testsupport::TempFolder folder;
  const fs::path file = folder / "Vellumark.ini";
  settings::SettingsRecord settings;
  settings.OpSplit = 7;
  settings::WriteSettingsFile(file, settings);
  const ParseResult parsed = ParseCommandLine({"convert", "--settings", file.string(), "a.pdf"});
  ASSERT_TRUE(parsed.request.has_value()) << parsed.error;
  EXPECT_EQ(parsed.request->options.splitUnit, pipeline::SplitUnit::kChapter);
  EXPECT_TRUE(parsed.warning.empty()) << parsed.warning;
}

TEST(CommandLineTest, MisuseExitsWithTwoAndRunsNothing) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate", "a.pdf"},
      {"convert"},
      {"convert", "--bogus", "a.pdf"},
      {"convert", "-x", "a.pdf"},
      {"convert", "a.pdf", "--unit"},
      {"convert", "--unit", "chapters", "a.pdf"},
      {"convert", "--headings", "toc", "a.pdf"},
      {"convert", "--thumbnails", "none", "a.pdf"},
      {"convert", "--delimiter", "･･", "a.pdf"},
      {"convert", "--split-mb", "0", "a.pdf"},
      {"convert", "--split-mb", "2049", "a.pdf"},
      {"convert", "--split-mb", "1.5", "a.pdf"},
      {"convert", "--one-file=yes", "a.pdf"},
      {"convert", "--contents-list", "a.pdf"},
      {"convert", "notes.txt"},
      {"convert", "a.pdf", "付録\t2.pdf"},  // would come back as two files
      {"headings", "報告\t書.pdf"},
      {"convert", "--settings", "/no/such/Vellumark.ini", "a.pdf"},
      {"batch"},
      {"batch", "one.txt", "two.txt"},
      {"headings"},
  };
  for (const auto& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), kExitUsage);
    EXPECT_TRUE(out.str().empty());
    EXPECT_NE(err.str().find("--help"), std::string::npos) << err.str();
  }
}

TEST(CommandLineTest, HelpWinsAnywhereAndDescribesEveryOption) {
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"--help"}, {"convert", "--unit", "bogus", "--help"}, {"batch", "-h"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), kExitSuccess);
    EXPECT_EQ(out.str(), HelpText());
  }
  for (const char* word : {"convert", "batch", "headings", "--contents-list", "--settings", "--headings",
                           "contents|scan", "--delimiter", "--no-force", "--one-file", "--split-mb",
                           "chapter|section|all|size", "--thumbnails", "all|first", "--keep-thumbnails",
                           "--full-outline", "--strict"}) {
    EXPECT_NE(HelpText().find(word), std::string::npos) << word;
  }
}

TEST(CommandLineTest, VersionWinsAnywhereAndPrintsTheProjectVersion) {
  for (const auto& args : std::vector<std::vector<std::string>>{{"--version"}, {"convert", "--unit", "bogus", "--version"}}) {
    std::ostringstream out, err;
    EXPECT_EQ(RunCli(args, out, err), kExitSuccess);
    EXPECT_EQ(out.str(), std::string("vellumark-cli ") + kVersion + "\n");
    EXPECT_TRUE(err.str().empty()) << err.str();
  }
  EXPECT_TRUE(std::regex_match(kVersion, std::regex("[0-9]+\\.[0-9]+\\.[0-9]+"))) << kVersion;
  // After a double dash it is a file name like any other.
  const ParseResult parsed = ParseCommandLine({"convert", "--", "--version"});
  EXPECT_FALSE(parsed.request.has_value());
}

TEST(CommandLineTest, SizeIsCheckedOnlyWhereItIsUsed) {
  // One file, or only the heading list: the size is never used.
  EXPECT_TRUE(ParseCommandLine({"convert", "--split-mb", "0", "--one-file", "a.pdf"}).request.has_value());
  EXPECT_TRUE(ParseCommandLine({"headings", "--split-mb", "0", "a.pdf"}).request.has_value());
  // A double dash lets a file name start with a dash.
  const ParseResult parsed = ParseCommandLine({"headings", "--", "-a.pdf"});
  ASSERT_TRUE(parsed.request.has_value()) << parsed.error;
  EXPECT_EQ(parsed.request->files, (std::vector<std::string>{"-a.pdf"}));
}

}  // namespace
}  // namespace vellumark::cli

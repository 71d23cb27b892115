// Setting aside the parts an earlier run left: exactly this output's parts,
// whatever their number, and nothing of another parent's.
#include "pipeline/file_names.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/folders.h"
#include "tests/support/temp_folder.h"

namespace vellumark::pipeline {
namespace {

namespace fs = std::filesystem;
using namespace testsupport;  // the folder and its file helpers

TEST(SetAsideEarlierPartsTest, OnlyThisOutputsPartsBecomeBackups) {
  TempFolder temp;
  const fs::path output = temp / platform::PathFromUtf8("報告書.pdf");
  const std::set<std::string> parts = {"報告書_001.PDF", "報告書_002.PDF", "報告書_024.PDF", "報告書_1000.PDF"};
  const std::set<std::string> others = {
      "報告書.pdf",          // the one-file output
      "報告書_001.bak",      // an older backup stays until a part replaces it
      "報告書_2_001.PDF",    // a part of "報告書_2.pdf"
      "報告書_7.PDF",        // not a name a part takes
      "報告書_001.pdf",      // nor this
      "報告書_000.PDF",      // nor this: parts count from 1
      "報告書_ab1.PDF",      // nor this
      "報_001.PDF",          // a part of "報.pdf" (or of "報告書pdf"'s neighbour)
  };
  for (const auto& name : parts) WriteBytes(temp / platform::PathFromUtf8(name), "part " + name);
  for (const auto& name : others) WriteBytes(temp / platform::PathFromUtf8(name), "other " + name);

  EXPECT_EQ(SetAsideEarlierParts(output), 4);
  for (const auto& name : parts) {
    std::string backup = name;
    backup.replace(backup.size() - 3, 3, "bak");
    EXPECT_FALSE(fs::exists(temp / platform::PathFromUtf8(name))) << name;
    EXPECT_EQ(ReadBytes(temp / platform::PathFromUtf8(backup)), "part " + name);
  }
  for (const auto& name : others) {
    if (name == "報告書_001.bak") continue;
    EXPECT_EQ(ReadBytes(temp / platform::PathFromUtf8(name)), "other " + name);
  }
  EXPECT_EQ(SetAsideEarlierParts(output), 0);
}

}  // namespace
}  // namespace vellumark::pipeline

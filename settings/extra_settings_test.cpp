#include "settings/extra_settings.h"

#include <gtest/gtest.h>

#include <optional>

#include "settings/conversion_options.h"
#include "tests/support/temp_folder.h"

namespace vellumark::settings {
namespace {

namespace fs = std::filesystem;
using testsupport::WriteBytes;

class ExtraSettingsTest : public ::testing::Test {
 protected:
  testsupport::TempFolder folder_;
  fs::path settings_ = folder_ / "Vellumark.ini";
  fs::path extra_ = ExtraSettingsPath(settings_);
};

TEST_F(ExtraSettingsTest, TheWholeTreeOptionSurvivesARestartBesideTheUnchangedSettingsFile) {
  SettingsRecord written;
  written.fullOutline = true;
  WriteSettingsFile(settings_, written);
  WriteExtraSettingsFile(extra_, written);

  EXPECT_EQ(extra_, folder_ / "Vellumark.ext.ini");
  // Peers still find the seventeen bytes they know.
  EXPECT_EQ(fs::file_size(settings_), 17U);
  SettingsRecord read;
  ReadSettingsFile(settings_, read);
  ReadExtraSettingsFile(extra_, read);
  EXPECT_TRUE(read.fullOutline);
  EXPECT_TRUE(OptionsFromSettings(read).fullOutline);
}

TEST_F(ExtraSettingsTest, AMissingOrGarbledFileKeepsTheOptionAsItWas) {
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    bool before;
    bool after;
  };
  const std::vector<Case> cases = {
      {"no file", std::nullopt, false, false},
      {"no file, option on", std::nullopt, true, true},
      {"binary noise", std::string("\xFF\x00\x13=\x01\n", 6), true, true},
      {"value no option has", "fullOutline=yes\n", false, false},
      {"unknown keys around it", "colour=blue\nfullOutline=1\n", false, true},
      {"written by an editor", "\xEF\xBB\xBF fullOutline = 1 \r\n", false, true},
      {"switched off", "fullOutline=0", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(extra_);
    if (c.bytes) WriteBytes(extra_, *c.bytes);
    SettingsRecord record;
    record.fullOutline = c.before;
    ReadExtraSettingsFile(extra_, record);
    EXPECT_EQ(record.fullOutline, c.after);
  }
}

}  // namespace
}  // namespace vellumark::settings

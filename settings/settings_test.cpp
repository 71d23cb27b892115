#include "settings/settings.h"

#include "settings/conversion_options.h"

#include <gtest/gtest.h>

#include <optional>

#include "platform/error.h"
#include "tests/support/temp_folder.h"

namespace vellumark::settings {
namespace {

namespace fs = std::filesystem;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

// The file as it is when it holds the initial values: the delimiter "･" is
// the single CP932 byte 0xA5.
const std::string kInitialBytes("\x00\x00\x01\x00\x00\x00\x01\x00\x01\x00\xA5\x00\x00\x01\x00\x00\x00", 17);

bool operator==(const SettingsRecord& a, const SettingsRecord& b) {
  return a.fullThumbnail == b.fullThumbnail && a.Check1 == b.Check1 && a.makeBM2mokuji == b.makeBM2mokuji &&
         a.Check2 == b.Check2 && a.Text1 == b.Text1 && a.OpSave == b.OpSave && a.Text2 == b.Text2 &&
         a.OpSplit == b.OpSplit;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  testsupport::TempFolder folder_;
  fs::path file_ = folder_ / "Vellumark.ini";
};

TEST(Settings, InitialValuesEncodeToTheSeventeenByteLayout) {
  EXPECT_EQ(EncodeSettings(SettingsRecord{}), kInitialBytes);
}

TEST(Settings, DelimiterIsTakenAsTheBoxShowsItAfterLoading) {
  // The command line runs with what the window would show: one character,
  // and "･" for an empty delimiter, which would otherwise find no heading.
  const struct {
    std::string text1, expected;
  } cases[] = {{"", "\xEF\xBD\xA5"}, {"ab", "a"}, {"・", "・"}, {"・x", "・"}, {"\xEF\xBD\xA5", "\xEF\xBD\xA5"}};
  for (const auto& c : cases) {
    SettingsRecord record;
    record.Text1 = c.text1;
    EXPECT_EQ(OptionsFromSettings(record).delimiter, c.expected) << c.text1;
  }
}

TEST_F(SettingsFileTest, WrittenFileReadsBackUnchanged) {
  SettingsRecord changed;
  changed.fullThumbnail = 1;
  changed.Check1 = 0;
  changed.makeBM2mokuji = 1;
  changed.Check2 = -1;  // negative values survive as two's complement
  changed.Text1 = "・";  // double-byte: length field 2
  changed.OpSave = 1;
  changed.Text2 = 300;  // needs the high byte
  changed.OpSplit = 3;
  WriteSettingsFile(file_, changed);
  EXPECT_EQ(ReadBytes(file_), std::string("\x01\x00\x00\x00\x01\x00\xFF\xFF\x02\x00\x81\x45\x01\x00\x2C\x01\x03\x00", 18));
  SettingsRecord read;
  EXPECT_TRUE(ReadSettingsFile(file_, read));
  EXPECT_TRUE(read == changed);
}

TEST_F(SettingsFileTest, ReadKeepsWhatTheFileDoesNotHold) {
  SettingsRecord initial;
  auto with = [&initial](auto change) {
    SettingsRecord record = initial;
    change(record);
    return record;
  };
  struct Case {
    const char* name;
    std::optional<std::string> bytes;  // nullopt: no file
    bool complete;
    SettingsRecord expected;
  };
  const Case cases[] = {
      {"no file", std::nullopt, false, initial},
      {"empty file", "", false, initial},
      {"cut inside the second field", std::string("\x01\x00\x00", 3), false,
       with([](SettingsRecord& r) { r.fullThumbnail = 1; })},
      {"cut inside the delimiter", std::string("\x01\x00\x00\x00\x01\x00\x00\x00\x02\x00\x81", 11), false,
       with([](SettingsRecord& r) {
         r.fullThumbnail = 1;
         r.Check1 = 0;
         r.makeBM2mokuji = 1;
         r.Check2 = 0;
       })},
      {"huge delimiter length (garbage)", std::string("\x07\x00\x07\x00\x07\x00\x07\x00\xFF\xFF\x41\x42", 12), false,
       with([](SettingsRecord& r) { r.fullThumbnail = r.Check1 = r.makeBM2mokuji = r.Check2 = 7; })},
      {"empty delimiter, 16 bytes", std::string("\x00\x00\x01\x00\x00\x00\x01\x00\x00\x00\x00\x00\x01\x00\x00\x00", 16),
       true, with([](SettingsRecord& r) { r.Text1 = ""; })},
      {"delimiter not CP932, fields after it still read",
       std::string("\x00\x00\x01\x00\x00\x00\x01\x00\x02\x00\x85\x40\x01\x00\x05\x00\x02\x00", 18), true,
       with([](SettingsRecord& r) {
         r.OpSave = 1;
         r.Text2 = 5;
         r.OpSplit = 2;
       })},
      {"bytes after the last field are ignored", kInitialBytes + "junk", true, initial},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove(file_);
    if (c.bytes) WriteBytes(file_, *c.bytes);
    SettingsRecord read;
    EXPECT_EQ(ReadSettingsFile(file_, read), c.complete);
    EXPECT_TRUE(read == c.expected);
  }
}

TEST_F(SettingsFileTest, SplitUnitWithoutAButtonLoadsAsChapters) {
  // Such a unit would save nothing in split mode while the window shows
  // "章で分ける"; the window and the command line both read it through here.
  const struct {
    std::int16_t inFile, loaded;
  } cases[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 0}, {7, 0}, {-1, 0}, {32767, 0}, {-32768, 0}};
  for (const auto& c : cases) {
    SettingsRecord written;
    written.OpSplit = c.inFile;
    WriteSettingsFile(file_, written);
    SettingsRecord read;
    read.OpSplit = 2;  // a value the file must replace, not keep
    EXPECT_TRUE(ReadSettingsFile(file_, read));
    EXPECT_EQ(read.OpSplit, c.loaded) << c.inFile;
    EXPECT_EQ(static_cast<int>(OptionsFromSettings(read).splitUnit), c.loaded) << c.inFile;
  }
}

TEST_F(SettingsFileTest, DelimiterWithoutCp932FormIsRefusedAndOldFileKept) {
  WriteSettingsFile(file_, SettingsRecord{});
  SettingsRecord record;
  record.Text1 = "😀";
  try {
    WriteSettingsFile(file_, record);
    ADD_FAILURE() << "no error";
  } catch (const platform::UserError& error) {
    EXPECT_EQ(error.file(), file_);
    EXPECT_NE(error.reason().find("😀"), std::string::npos) << error.reason();
  }
  EXPECT_EQ(ReadBytes(file_), kInitialBytes);
}

}  // namespace
}  // namespace vellumark::settings

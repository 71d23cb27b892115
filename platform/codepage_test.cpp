#include "platform/codepage.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/error.h"

namespace vellumark::platform {
namespace {

// Characters whose CP932 form differs between code page implementations: the
// files must hold the bytes Windows writes, so that a list saved on one
// system opens unchanged on the other.
TEST(CodePage, RoundTripsTheWindowsMappings) {
  struct Case {
    const char* utf8;
    const char* cp932;
  };
  const Case cases[] = {
      {"\xEF\xBD\xA5", "\xA5"},  // "･" the default delimiter: one byte
      {"～", "\x81\x60"},        // U+FF5E, not U+301C
      {"－", "\x81\x7C"},        // U+FF0D, not U+2212
      {"∥", "\x81\x61"},
      {"￢", "\x81\xCA"},
      {"―", "\x81\x5C"},
      {"①㈱", "\x87\x40\x87\x8A"},  // NEC special characters
      {"\\~", "\\~"},               // ASCII stays ASCII, no yen sign
      {"C:\\変換済み\\報告書・付録.pdf",
       "C:\\\x95\xCF\x8A\xB7\x8D\xCF\x82\xDD\\\x95\xF1\x8D\x90\x8F\x91\x81\x45\x95t\x98^.pdf"},
      {"ｱｲｳ", "\xB1\xB2\xB3"},
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToCp932(c.utf8), c.cp932);
    EXPECT_EQ(Cp932ToUtf8(c.cp932), c.utf8);
  }
}

// Each of these would otherwise become "?" or a look-alike, and a path changed
// that way no longer names its file.
TEST(CodePage, RefusesWhatCp932CannotCarryAndNamesIt) {
  struct Case {
    const char* text;
    const char* culprit;
  };
  const Case cases[] = {
      {"/home/u/😀.pdf", "😀"},
      {"a〜b.pdf", "〜"},  // U+301C: glibc maps it one way onto "～"
      {"¥100.pdf", "¥"},   // U+00A5: would come back as "\"
      {"보고서.pdf", "보"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    try {
      Utf8ToCp932(c.text);
      ADD_FAILURE() << "no error";
    } catch (const UserError& error) {
      EXPECT_NE(error.reason().find(std::string("「") + c.culprit + "」"), std::string::npos) << error.reason();
      EXPECT_NE(error.reason().find(c.text), std::string::npos) << error.reason();
    }
  }
}

TEST(CodePage, RefusesBrokenInputInEitherDirection) {
  EXPECT_THROW(Utf8ToCp932("abc\xE3\x81"), UserError);  // cut-off UTF-8
  EXPECT_THROW(Utf8ToCp932("\xFF"), UserError);
  const char* badCp932[] = {"\x85\x40", "ab\xA0", "abc\x81"};  // unassigned, undefined byte, lone lead byte
  for (const char* bytes : badCp932) {
    SCOPED_TRACE(bytes);
    EXPECT_THROW(Cp932ToUtf8(bytes), UserError);
  }
  try {
    Cp932ToUtf8("ab\x85\x40");
    ADD_FAILURE() << "no error";
  } catch (const UserError& error) {
    EXPECT_NE(error.reason().find("3 バイト目"), std::string::npos) << error.reason();
    EXPECT_NE(error.reason().find("85 40"), std::string::npos) << error.reason();
  }
}

}  // namespace
}  // namespace vellumark::platform

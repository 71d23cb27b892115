#include "platform/codepage.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "platform/decimal.h"
#include "platform/error.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace vellumark::platform {

namespace {

#ifdef _WIN32

constexpr UINT kCp932 = 932;

// `bytes` in code page `codePage` as UTF-16; nullopt when any byte sequence
// is invalid there.
std::optional<std::wstring> ToWide(UINT codePage, const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
  return wide;
}

std::string WideToUtf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  if (length <= 0) return {};
  std::string utf8(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length, nullptr, nullptr);
  return utf8;
}

// Plain encoding; nullopt when any character has no exact CP932 form.
// WC_NO_BEST_FIT_CHARS together with the used-default check is what keeps
// Windows from quietly writing "?" or a look-alike character.
std::optional<std::string> EncodeRaw(const std::string& utf8) {
  if (utf8.empty()) return std::string();
  const std::optional<std::wstring> wide = ToWide(CP_UTF8, utf8);
  if (!wide) return std::nullopt;
  BOOL usedDefault = FALSE;
  const int length = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), static_cast<int>(wide->size()),
                                         nullptr, 0, nullptr, &usedDefault);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string cp932(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, wide->data(), static_cast<int>(wide->size()), cp932.data(), length,
                      nullptr, &usedDefault);
  if (usedDefault) return std::nullopt;
  return cp932;
}

std::optional<std::string> DecodeRaw(const std::string& cp932) {
  const std::optional<std::wstring> wide = ToWide(kCp932, cp932);
  if (!wide) return std::nullopt;
  return WideToUtf8(*wide);
}

#else  // glibc iconv

// "CP932" rather than "SHIFT_JIS": only CP932 maps "～", "－", "∥" and the NEC
// and IBM extensions the way Windows does, so files written on either side
// read back the same.
constexpr char kCp932Name[] = "CP932";
constexpr char kUtf8Name[] = "UTF-8";

class Converter {
 public:
  Converter(const char* to, const char* from) : handle_(iconv_open(to, from)) {
    if (handle_ == reinterpret_cast<iconv_t>(-1)) {
      throw UserError({}, "文字コード変換 (Shift-JIS / CP932) がこのシステムで使えません");
    }
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  ~Converter() { iconv_close(handle_); }

  // nullopt on an invalid or unconvertible sequence.
  std::optional<std::string> Convert(const std::string& input, std::size_t maxGrowth) {
    std::string output(input.size() * maxGrowth + 16, '\0');
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    // The output buffer is sized for the worst case, so one call converts
    // everything or stops at an input error; E2BIG cannot occur.
    if (iconv(handle_, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
    // Flush any shift state (none for CP932, but the call is cheap and correct).
    if (iconv(handle_, nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1)) return std::nullopt;
    output.resize(output.size() - outLeft);
    return output;
  }

 private:
  iconv_t handle_;
};

std::optional<std::string> EncodeRaw(const std::string& utf8) {
  Converter converter(kCp932Name, kUtf8Name);
  return converter.Convert(utf8, 1);  // never more CP932 bytes than UTF-8 bytes
}

std::optional<std::string> DecodeRaw(const std::string& cp932) {
  Converter converter(kUtf8Name, kCp932Name);
  return converter.Convert(cp932, 3);  // a half-width katakana byte becomes three
}

#endif

// Exact encoding: the bytes must read back as the very same text. glibc maps
// some characters one way only (for example "〜" U+301C to the byte pair of
// "～" U+FF5E); a file name changed that way would no longer name its file, so
// such characters count as not representable.
std::optional<std::string> EncodeExact(const std::string& utf8) {
  std::optional<std::string> cp932 = EncodeRaw(utf8);
  if (!cp932) return std::nullopt;
  const std::optional<std::string> back = DecodeRaw(*cp932);
  if (!back || *back != utf8) return std::nullopt;
  return cp932;
}

// Byte length of the UTF-8 sequence starting with `lead`; 1 for a stray byte,
// so that a scan always moves on.
std::size_t Utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xF0 && lead <= 0xF7) return 4;
  if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
  if (lead >= 0xC0) return 2;
  return 1;
}

// Byte length of the CP932 character starting with `lead`: the lead byte
// ranges of the double-byte characters, everything else single.
std::size_t Cp932SequenceLength(unsigned char lead) {
  return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xFC)) ? 2 : 1;
}

std::string HexBytes(const std::string& bytes) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::string text;
  for (unsigned char byte : bytes) {
    if (!text.empty()) text += ' ';
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

// A lead byte followed by the right number of continuation bytes. Enough to
// decide whether a character may be quoted in a message.
bool IsUtf8Character(const std::string& character) {
  const std::size_t length = Utf8SequenceLength(static_cast<unsigned char>(character[0]));
  if (character.size() != length) return false;
  if (length == 1) return static_cast<unsigned char>(character[0]) < 0x80;
  for (std::size_t i = 1; i < length; ++i) {
    if ((static_cast<unsigned char>(character[i]) & 0xC0) != 0x80) return false;
  }
  return true;
}

}  // namespace

std::string Utf8ToCp932(const std::string& utf8) {
  if (std::optional<std::string> cp932 = EncodeExact(utf8)) return *cp932;
  // Find the first character at fault so the message can show it; each step
  // moves at least one byte, so the loop ends within utf8.size() steps.
  for (std::size_t pos = 0; pos < utf8.size();) {
    const std::size_t length = std::min(Utf8SequenceLength(static_cast<unsigned char>(utf8[pos])), utf8.size() - pos);
    const std::string character = utf8.substr(pos, length);
    if (!IsUtf8Character(character)) {
      // Broken UTF-8 cannot be shown as text, so the message names the bytes.
      throw UserError(
          {}, Decimal(pos + 1) + " バイト目のバイト列 " + HexBytes(character) + " は UTF-8 の文字ではありません");
    }
    if (!EncodeExact(character)) {
      throw UserError({}, "「" + utf8 + "」の文字「" + character + "」は Shift-JIS (CP932) で保存できません");
    }
    pos += length;
  }
  // Every character on its own is fine but the whole is not (cannot happen with
  // a stateless code page); still report rather than write something else.
  throw UserError({}, "「" + utf8 + "」は Shift-JIS (CP932) で保存できません");
}

std::string Cp932ToUtf8(const std::string& cp932) {
  if (std::optional<std::string> utf8 = DecodeRaw(cp932)) return *utf8;
  for (std::size_t pos = 0; pos < cp932.size();) {
    const std::size_t length =
        std::min(Cp932SequenceLength(static_cast<unsigned char>(cp932[pos])), cp932.size() - pos);
    const std::string character = cp932.substr(pos, length);
    if (!DecodeRaw(character)) {
      throw UserError({}, Decimal(pos + 1) + " バイト目のバイト列 " + HexBytes(character) +
                              " は Shift-JIS (CP932) の文字ではありません");
    }
    pos += length;
  }
  throw UserError({}, "Shift-JIS (CP932) として読めないバイト列があります");
}

}  // namespace vellumark::platform

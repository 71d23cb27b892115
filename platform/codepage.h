#pragma once
// The program's text files (job lists, settings) are CP932 (Shift-JIS) on
// every platform, so that they move between Windows and Linux unchanged.
// Inside, all text is UTF-8.
#include <string>

namespace vellumark::platform {

// UTF-8 -> CP932. A character CP932 cannot carry throws UserError naming the
// text; never a silent "?".
std::string Utf8ToCp932(const std::string& utf8);

// CP932 -> UTF-8. Bytes that are not valid CP932 throw UserError.
std::string Cp932ToUtf8(const std::string& cp932);

}  // namespace vellumark::platform

#include "app/conversion_options.h"

#include <charconv>

#include "platform/narrow.h"

namespace vellumark::app {

std::string DelimiterAsLoaded(const std::string& text1) {
  const std::u32string characters = platform::ToU32(text1);
  if (characters.empty()) return SettingsRecord{}.Text1;
  return platform::ToUtf8(characters.substr(0, 1));
}

pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings) {
  pipeline::ConversionOptions options;
  options.fullThumbnail = settings.fullThumbnail;
  options.Check1 = settings.Check1;
  options.makeBM2mokuji = settings.makeBM2mokuji;
  options.Check2 = settings.Check2;
  options.delimiter = DelimiterAsLoaded(settings.Text1);
  options.OpSave = settings.OpSave;
  char digits[8];
  const auto end = std::to_chars(digits, digits + sizeof digits, settings.Text2).ptr;
  options.sizeText.assign(digits, end);
  options.OpSplit = settings.OpSplit;
  options.fullOutline = settings.fullOutline;
  return options;
}

}  // namespace vellumark::app

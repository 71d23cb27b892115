#include "app/conversion_options.h"

#include <charconv>

namespace vellumark::app {

pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings) {
  pipeline::ConversionOptions options;
  options.fullThumbnail = settings.fullThumbnail;
  options.Check1 = settings.Check1;
  options.makeBM2mokuji = settings.makeBM2mokuji;
  options.Check2 = settings.Check2;
  options.delimiter = settings.Text1;
  options.OpSave = settings.OpSave;
  char digits[8];
  const auto end = std::to_chars(digits, digits + sizeof digits, settings.Text2).ptr;
  options.sizeText.assign(digits, end);
  options.OpSplit = settings.OpSplit;
  return options;
}

}  // namespace vellumark::app

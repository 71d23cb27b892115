#include "settings/conversion_options.h"

#include "platform/decimal.h"
#include "platform/utf8.h"

namespace vellumark::settings {

std::string DelimiterAsLoaded(const std::string& text1) {
  const std::u32string characters = platform::ToU32(text1);
  if (characters.empty()) return SettingsRecord{}.Text1;
  return platform::ToUtf8(characters.substr(0, 1));
}

std::string SizeTextOf(const SettingsRecord& settings) {
  return platform::Decimal(settings.Text2);
}

pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings, const std::string& sizeText) {
  using pipeline::HeadingSource;
  using pipeline::SplitUnit;
  using pipeline::ThumbnailRange;
  pipeline::ConversionOptions options;
  // Each field is tested the way the product has always tested it, which
  // matters for values no control sets: a hand-made file or the greyed
  // state 2 of a checkbox (its third state, which the window can show).
  options.thumbnails = settings.fullThumbnail == 1 ? ThumbnailRange::kFirstPage : ThumbnailRange::kAllPages;
  // Greyed (2) does NOT delete: only a plain tick does.
  options.deleteThumbnailsFirst = settings.Check1 == 1;
  options.headingSource = settings.makeBM2mokuji != 0 ? HeadingSource::kAllPages : HeadingSource::kContentsPage;
  // Greyed (2) DOES force: only an empty box turns forcing off.
  options.forceBookmarks = settings.Check2 != 0;
  options.delimiter = DelimiterAsLoaded(settings.Text1);
  // The size box is greyed out in one-file mode, so whatever it holds must
  // not fail the job there.
  if (settings.OpSave != 0) {
    options.partSizeLimit.reset();
  } else {
    options.partSizeLimit = pipeline::SizeLimitFromText(sizeText);
  }
  // Reading the file already brings a unit without a button to chapters;
  // a record made in code gets the same rule.
  switch (settings.OpSplit) {
    case 1:
      options.splitUnit = SplitUnit::kSection;
      break;
    case 2:
      options.splitUnit = SplitUnit::kAllHeadings;
      break;
    case 3:
      options.splitUnit = SplitUnit::kSizeOnly;
      break;
    default:
      options.splitUnit = SplitUnit::kChapter;
      break;
  }
  options.fullOutline = settings.fullOutline;
  return options;
}

pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings) {
  return OptionsFromSettings(settings, SizeTextOf(settings));
}

}  // namespace vellumark::settings

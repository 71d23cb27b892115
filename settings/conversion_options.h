#pragma once
// The options a conversion runs with, taken from the settings record. Both
// front ends use this one mapping, so a field cannot be forgotten in one of
// them, and the record's codes (the widget values it stores) end here.
#include <string>

#include "pipeline/conversion_options.h"
#include "settings/settings.h"

namespace vellumark::settings {

// The delimiter as the delimiter box shows it once a settings record is
// loaded: the box keeps one character, and an empty one gets "･" back.
std::string DelimiterAsLoaded(const std::string& text1);

// The record's Text2 as the size box shows it.
std::string SizeTextOf(const SettingsRecord& settings);

// Maps the record to the options. The delimiter is taken as loaded from
// Text1; `sizeText` is the part size in MB as typed (the window's size box,
// the command line's --split-mb or the record's Text2). It is used only in
// split mode, where a text that is not a whole number from 1 to 2048 throws
// UserError: the front ends check it first (CheckSizeText) to refuse the
// batch with their own message. Never throws in one-file mode.
pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings, const std::string& sizeText);

// The same with the size the record itself holds.
pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings);

}  // namespace vellumark::settings

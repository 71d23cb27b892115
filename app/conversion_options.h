#pragma once
// The options a conversion runs with, taken from the settings record. Both
// front ends use this one mapping, so a field cannot be forgotten in one of
// them.
#include <string>

#include "app/settings.h"
#include "pipeline/conversion.h"

namespace vellumark::app {

// The delimiter as the delimiter box shows it once a settings record is
// loaded: the box keeps one character, and an empty one gets "･" back.
std::string DelimiterAsLoaded(const std::string& text1);

// The delimiter (as loaded) and the size come from the record's Text1 and
// Text2; the window replaces them by its two text boxes as they stand.
pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings);

}  // namespace vellumark::app

#pragma once
// The options a conversion runs with, taken from the settings record. Both
// front ends use this one mapping, so a field cannot be forgotten in one of
// them.
#include "app/settings.h"
#include "pipeline/conversion.h"

namespace vellumark::app {

// The delimiter and the size come from the record's Text1 and Text2; the
// window replaces them by its two text boxes as they stand.
pipeline::ConversionOptions OptionsFromSettings(const SettingsRecord& settings);

}  // namespace vellumark::app

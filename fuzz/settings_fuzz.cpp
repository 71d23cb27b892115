// The settings file reader on arbitrary bytes: it never throws, and whatever
// record it leaves is written and read back as the same record, so the
// options a user saw at start-up are the options saved at the next close.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/fuzz_input_file.h"
#include "platform/error.h"
#include "settings/settings.h"

namespace {

using vellumark::settings::SettingsRecord;
using vellumark::fuzz::FuzzInputFile;

FuzzInputFile& Input() {
  static FuzzInputFile file("Vellumark.ini");
  return file;
}

bool Same(const SettingsRecord& a, const SettingsRecord& b) {
  return a.fullThumbnail == b.fullThumbnail && a.Check1 == b.Check1 && a.makeBM2mokuji == b.makeBM2mokuji &&
         a.Check2 == b.Check2 && a.Text1 == b.Text1 && a.OpSave == b.OpSave && a.Text2 == b.Text2 &&
         a.OpSplit == b.OpSplit;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  SettingsRecord settings;
  (void)vellumark::settings::ReadSettingsFile(Input().Write(data, size), settings);

  std::string encoded;
  try {
    encoded = vellumark::settings::EncodeSettings(settings);
  } catch (const vellumark::platform::UserError&) {
    return 0;  // a delimiter without a CP932 form is refused, not mangled
  }
  SettingsRecord reread;
  const auto& path = Input().Write(reinterpret_cast<const std::uint8_t*>(encoded.data()), encoded.size());
  if (!vellumark::settings::ReadSettingsFile(path, reread)) std::abort();
  if (!Same(settings, reread)) std::abort();
  return 0;
}

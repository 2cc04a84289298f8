// The installation notice, shown at a start unless the settings file switches it off.
#include <cstdarg>

#include "common/texts.h"
#include "host/host_services.h"
#include "platform/format.h"
#include "settings/settings.h"

namespace {

constexpr std::int32_t kNoticeDialog = 1668;
// The notice: its first line and line break, then the whole help text with its control bytes.
constexpr std::size_t kNoticeSize = texts::kInstallationNotice.size() - 2 + texts::kHelpText.size() + 1;
static_assert(kNoticeSize == 91 + 1);

}  // namespace

std::int16_t DostepIni(TextRef file, std::uint16_t mode, TextRef section, TextRef key, TextRef format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const std::int16_t result = ini_access(file.get(), mode, section.get(), key.get(), format.get(), arguments);
  va_end(arguments);
  return result;
}

std::int32_t FormatujTekst(char* buffer, std::size_t size, TextRef format, ...) {
  std::va_list arguments;
  va_start(arguments, format);
  const int written = FormatV(buffer, size, format.get(), arguments);
  va_end(arguments);
  return written;
}

void PowiadomOInstalacji() {
  std::int16_t flag = 0;
  // The settings service may store a full integer for "%d": it gets a 32-bit slot, whose low 16 bits
  // are the flag.
  std::int32_t slot = 0;
  if (DostepIni(texts::kSettingsFile, kIniRead, texts::kSettingsSection, texts::kSettingsAskKey,
                texts::kSettingsFormat, &slot) != 0) {
    slot = 0;  // a key that cannot be read asks for the notice
  }
  flag = static_cast<std::int16_t>(slot);
  if (flag != 0) return;

  char help[texts::kHelpTextSize];
  texts::KopiujOpis(help);
  char notice[kNoticeSize];
  FormatujTekst(notice, sizeof notice, texts::kInstallationNotice, help);

  // The dialog may change the flag: its value afterwards is what the settings file keeps.
  ui_host_dialog(kNoticeDialog, &flag, 0, notice);
  DostepIni(texts::kSettingsFile, kIniWrite, texts::kSettingsSection, texts::kSettingsAskKey,
            texts::kSettingsFormat, static_cast<std::int32_t>(flag));
}

// The settings loader: any bytes as norvo.cfg. The raw bytes are loaded as the file; then the
// same bytes, laid over the defaults as patches, are given a correct header so that the record
// is accepted and every stored value reaches the pure code that reads it (texts, the recent
// list, theme, transparency, auto-save, the paths built from the stored last file).
#include <cstring>
#include <string>
#include <vector>

#include "common/utf.h"
#include "document/recent.h"
#include "fuzz_input.h"
#include "settings/preferences.h"
#include "settings/settings.h"
#include "settings/theme.h"
#include "ui/ui_logic.h"
#include "app/shell_logic.h"

namespace {
template <size_t N>
void CheckText(const FixedString<N>& text) {
  const std::u16string value = text.Get();
  FUZZ_CHECK(value.size() <= N);
  FUZZ_CHECK(value.find(u'\0') == std::u16string::npos);
  (void)Utf16ToUtf8(value);
}

void Use(const AppSettings& s) {
  CheckText(s.fontName);
  CheckText(s.lastFile);
  for (int i = 0; i < kHistoryCount; ++i) {
    CheckText(s.findHistory[i]);
    CheckText(s.replaceHistory[i]);
    CheckText(s.regexPatternHistory[i]);
    CheckText(s.regexReplaceHistory[i]);
  }
  RecentList recent = ReadRecentList(s);
  for (const auto& path : recent) FUZZ_CHECK(path.size() < 260);
  AddRecent(recent, s.lastFile.Get());
  RemoveRecent(recent, s.helpTopic);
  AppSettings copy = s;
  WriteRecentList(copy, recent);
  const int transparency = UsableTransparency(s.transparency);
  FUZZ_CHECK(transparency >= 0 && transparency <= kMaxTransparency);
  const int alpha = TransparencyAlpha(transparency);
  FUZZ_CHECK(alpha >= 127 && alpha <= 255);
  FUZZ_CHECK(AutoSavePeriodMs(s.autoSaveMinutes) <= kMaxAutoSaveMinutes * 60000u);
  const int interval = AutoSaveIntervalIndex(s.autoSaveMinutes);
  FUZZ_CHECK(interval >= 0 && interval < kAutoSaveIntervalCount);
  FUZZ_CHECK(NormalizeThemeId(s.themeId) < kThemeCount);
  (void)PaletteForTheme(s.themeId);
  (void)FontLabelText(s.fontName.Get(), s.fontSize, s.fontBold, s.fontItalic);
  (void)GetDisplayName(s.lastFile.Get());
  (void)BuildTitle(s.lastFile.Get(), s.firstRun);
  const LocalTime time{2024, 5, 6, 7, 8, 9, 10};
  const std::u16string temp = FormatTempPdfPath(s.lastFile.Get(), time);
  FUZZ_CHECK(temp.size() <= 259);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // 1. The bytes as they are.
  AppSettings loaded;
  const bool accepted = ParseSettingsFile(data, size, loaded);
  if (accepted) FUZZ_CHECK(std::memcmp(&loaded, data + kSettingsHeaderSize, kSettingsRecordSize) == 0);
  Use(loaded);

  // 2. The bytes as patches over the defaults: offset (three bytes), length (one), bytes.
  FuzzInput in(data, size);
  AppSettings record;
  ResetSettings(record);
  auto* raw = reinterpret_cast<unsigned char*>(&record);
  while (in.Left() > 4) {
    const size_t offset = ((size_t{in.Byte()} << 16) | (size_t{in.Byte()} << 8) | in.Byte()) % kSettingsRecordSize;
    const std::string_view patch = in.Bytes(in.Byte());
    const size_t n = std::min(patch.size(), kSettingsRecordSize - offset);
    std::memcpy(raw + offset, patch.data(), n);
  }
  std::vector<unsigned char> file = BuildSettingsFile(record);
  FUZZ_CHECK(file.size() == kSettingsFileSize);
  AppSettings again;
  FUZZ_CHECK(ParseSettingsFile(file.data(), file.size(), again));
  FUZZ_CHECK(std::memcmp(&again, &record, kSettingsRecordSize) == 0);
  Use(again);
  // A file one byte short, or with one bit of the record flipped, is refused for the defaults.
  FUZZ_CHECK(!ParseSettingsFile(file.data(), file.size() - 1, again));
  file[kSettingsHeaderSize + size % kSettingsRecordSize] ^= 1;
  FUZZ_CHECK(!ParseSettingsFile(file.data(), file.size(), again));
  AppSettings defaults;
  ResetSettings(defaults);
  FUZZ_CHECK(std::memcmp(&again, &defaults, kSettingsRecordSize) == 0);
  return 0;
}

#include "settings/preferences.h"

#include <algorithm>

#include "common/utf.h"

std::optional<int> ParseTransparency(std::u16string_view field) {
  if (field.empty()) return std::nullopt;
  int value = 0;
  for (char16_t c : field) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
    if (value > 50) return std::nullopt;  // also keeps a long field from overflowing
  }
  return value;
}

int AutoSaveIntervalIndex(int32_t storedMinutes) {
  if (storedMinutes <= 0) return 1;  // "5 min"
  for (int i = 0; i < kAutoSaveIntervalCount; ++i)
    if (kAutoSaveIntervals[i] == storedMinutes) return i;
  return 0;
}

int32_t AutoSaveMinutesToStore(bool enabled, int selectedIndex) {
  if (!enabled) return 0;
  if (selectedIndex < 0 || selectedIndex >= kAutoSaveIntervalCount) return 5;
  return kAutoSaveIntervals[selectedIndex];
}

std::u16string FontLabelText(std::u16string_view face, int size, bool bold, bool italic) {
  std::u16string text = u"Font: " + std::u16string(face) + u", " + DecimalText(static_cast<unsigned>(std::max(size, 0))) + u" pt";
  if (bold) text += u" Bold";
  if (italic) text += u" Italic";
  return text;
}

std::optional<int> ParseFontSize(std::u16string_view field) {
  field = field.substr(0, 7);
  int value = 0;
  size_t digits = 0;
  while (digits < field.size() && field[digits] >= u'0' && field[digits] <= u'9')
    value = value * 10 + (field[digits++] - u'0');  // seven digits stay far below overflow
  if (digits == 0 || value < 1 || value > 144) return std::nullopt;
  return value;
}

bool ListableFace(std::u16string_view name, bool trueType) {
  return trueType && !name.empty() && name[0] != u'@';
}

int FindFaceIndex(const std::vector<std::u16string>& names, std::u16string_view face) {
  if (face.empty()) return -1;
  for (size_t i = 0; i < names.size(); ++i)
    if (names[i] == face) return static_cast<int>(i);
  for (size_t i = 0; i < names.size(); ++i)
    if (std::u16string_view(names[i]).substr(0, face.size()) == face) return static_cast<int>(i);
  return -1;
}

int TopIndexShowing(int index) {
  return std::max(0, index - 3);
}

// The rules of the Settings and Font dialogs that need no window: reading their fields, the
// auto-save intervals, the font label, which faces are listed and where the lists start.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The transparency field: digits only, 0..50; anything else (empty, a sign, above 50) is refused.
std::optional<int> ParseTransparency(std::u16string_view field);

// The auto-save intervals the Settings dialog offers, in minutes, in list order.
constexpr int kAutoSaveIntervals[] = {1, 5, 10, 30, 60};
constexpr int kAutoSaveIntervalCount = 5;
// The list entry shown for a stored interval: the matching one, "5 min" when auto-save is off,
// "1 min" when the stored value matches none.
int AutoSaveIntervalIndex(int32_t storedMinutes);
// The interval stored on OK: the selected entry's minutes (5 with none selected) when enabled, else 0.
int32_t AutoSaveMinutesToStore(bool enabled, int selectedIndex);

// "Font: <face>, <size> pt" with " Bold" and " Italic" when set.
std::u16string FontLabelText(std::u16string_view face, int size, bool bold, bool italic);

// The size field: at most its first 7 characters, read as a number; a size only when 1..144.
std::optional<int> ParseFontSize(std::u16string_view field);
constexpr int kFontSizes[] = {6, 7, 8, 9, 10, 11, 12, 14, 16, 18, 20, 22, 24, 26, 28, 36, 48, 72};

// Whether a font family is listed: TrueType, and not a vertical face (name starting with '@').
bool ListableFace(std::u16string_view name, bool trueType);
// In a sorted list of names: the exact name, else the first that begins with it; -1 for none.
int FindFaceIndex(const std::vector<std::u16string>& names, std::u16string_view face);
// The top entry of a list that shows entry `index` as its fourth visible one.
int TopIndexShowing(int index);

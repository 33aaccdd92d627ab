#include "ui/ui_logic.h"

#include <algorithm>
#include <cmath>

std::u16string GetDisplayName(std::u16string_view path) {
  if (path.empty()) return u"Untitled";
  size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) return std::u16string(path);
  return std::u16string(path.substr(cut + 1));
}

int TransparencyAlpha(int percent) { return 255 - static_cast<int>(std::trunc(percent * 255.0 / 100.0)); }

namespace {
const MessageBoxButton kSaveButtons[] = {{2501, u"Save", u"Yes", ResultYes},
                                         {2502, u"Don't Save", u"No", ResultNo},
                                         {2503, u"Cancel", u"Cancel", ResultCancel}};
const MessageBoxButton kOkCancelButtons[] = {{2501, u"OK", u"OK", ResultOk}, {2502, u"Cancel", u"Cancel", ResultCancel}};
const MessageBoxButton kOkButtons[] = {{2501, u"OK", u"OK", ResultOk}};
const MessageBoxButton kYesNoButtons[] = {{2501, u"Yes", u"Yes", ResultYes}, {2502, u"No", u"No", ResultNo}};
}  // namespace

MessageBoxResult MessageBoxCancelResult(int kind) {
  return kind == SaveDontSaveCancel || kind == OkCancel || kind == YesNo ? ResultCancel : ResultOk;
}

MessageBoxLayout ComputeMessageBoxLayout(int kind, std::u16string_view text) {
  MessageBoxLayout layout;
  size_t longest = 0;
  size_t lines = 1;
  size_t current = 0;
  for (char16_t c : text) {
    if (c == u'\n') {
      ++lines;
      longest = std::max(longest, current);
      current = 0;
    } else {
      ++current;
    }
  }
  longest = std::max(longest, current);
  long long w = static_cast<long long>(std::min<size_t>(longest, 1000)) * 4 + 20;
  layout.width = static_cast<int>(std::clamp<long long>(w, 220, 400));
  layout.textHeight = static_cast<int>(std::min<size_t>(lines, 3000)) * 10 + 4;
  layout.height = layout.textHeight + (kind == SaveDontSaveCancel ? 31 : 29);
  layout.buttonTop = layout.textHeight + 11;
  switch (kind) {
    case SaveDontSaveCancel: layout.buttons.assign(std::begin(kSaveButtons), std::end(kSaveButtons)); break;
    case OkCancel: layout.buttons.assign(std::begin(kOkCancelButtons), std::end(kOkCancelButtons)); break;
    case YesNo: layout.buttons.assign(std::begin(kYesNoButtons), std::end(kYesNoButtons)); break;
    default: layout.buttons.assign(std::begin(kOkButtons), std::end(kOkButtons)); break;
  }
  int first = layout.buttons.size() == 3   ? (layout.width - 162) / 2
              : layout.buttons.size() == 2 ? (layout.width - 106) / 2
                                           : (layout.width - 50) / 2;
  for (size_t i = 0; i < layout.buttons.size(); ++i) layout.buttonX.push_back(first + static_cast<int>(i) * 56);
  return layout;
}

int MarginWidthFor(long long lineCount, int digitWidth) {
  int digits = 0;
  for (long long n = lineCount; n > 0; n /= 10) ++digits;
  if (digits < 3) digits = 3;
  if (digitWidth < 1) digitWidth = 8;
  return digitWidth * digits + 12;
}

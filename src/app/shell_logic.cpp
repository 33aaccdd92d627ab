#include "app/shell_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/encoding.h"

std::u16string GetDisplayName(std::u16string_view path) {
  if (path.empty()) return u"Untitled";
  size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) return std::u16string(path);
  return std::u16string(path.substr(cut + 1));
}

std::u16string BuildTitle(std::u16string_view path, bool modified) {
  std::u16string title = u"Norvo - " + GetDisplayName(path);
  if (modified) title += u" *";
  return title;
}

bool HasViewerFlag(const std::vector<std::u16string>& args) { return args.size() > 1 && args[1] == u"--viewer"; }

CommandLineDocument DocumentFromCommandLine(const std::vector<std::u16string>& args) {
  if (args.size() < 2) return {std::nullopt, nullptr};
  if (args[1] == u"--viewer") {
    if (args.size() >= 3) return {args[2], "Viewer mode - loading file from command line"};
    return {std::nullopt, "No file to load (untitled document)"};
  }
  return {args[1], "Normal mode - loading file from command line"};
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

namespace {
std::u16string Ascii(const char* s) {
  std::u16string out;
  while (*s) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(*s++)));
  return out;
}
}  // namespace

StatusTexts BuildStatusTexts(const StatusInfo& info) {
  StatusTexts t;
  char buf[96];
  std::snprintf(buf, sizeof buf, "  Ln %lld, Col %lld", info.line + 1, info.column + 1);
  t.part[0] = Ascii(buf);
  if (info.selection > 0) {
    std::snprintf(buf, sizeof buf, "  Sel: %lld", info.selection);
    t.part[1] = Ascii(buf);
  }
  t.part[2] = u"  " + Ascii(EncodingName(info.encoding));
  t.part[3] = u"  " + Ascii(EolModeName(info.eolMode));
  std::snprintf(buf, sizeof buf, "  %d%%", (info.zoom + 10) * 10);
  t.part[4] = Ascii(buf);
  return t;
}

StatusEdges StatusBarPartEdges(int clientWidth) {
  int p = std::max(80, clientWidth - 360);
  return {{p, p + 115, p + 230, p + 295, -1}};
}

bool IsEditFieldKey(unsigned virtualKey, bool ctrl, bool shift, bool alt) {
  if (!ctrl || shift || alt) return false;
  switch (virtualKey) {
    case 'Z': case 'Y': case 'X': case 'C': case 'V': case 'A': return true;
    default: return false;
  }
}

int MarginWidthFor(long long lineCount, int digitWidth) {
  int digits = 0;
  for (long long n = lineCount; n > 0; n /= 10) ++digits;
  if (digits < 3) digits = 3;
  if (digitWidth < 1) digitWidth = 8;
  return digitWidth * digits + 12;
}

int ToolbarButtonLeft(int clientWidth, int index) { return std::max(8, (clientWidth - 490) / 2) + 83 * index; }

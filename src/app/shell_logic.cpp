#include "app/shell_logic.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "document/encoding.h"

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

int ToolbarButtonLeft(int clientWidth, int index) { return std::max(8, (clientWidth - 490) / 2) + 83 * index; }

#include "app/menu_model.h"

#include <algorithm>

#include "app/shell_logic.h"
#include "common/utf.h"
#include "export/export_logic.h"
#include "settings/theme.h"

namespace {
MenuEntry Item(const char16_t* text, const char16_t* shortcut, int id, bool disabled = false, bool checked = false) {
  MenuEntry e;
  e.text = text;
  e.shortcut = shortcut;
  e.id = id;
  e.disabled = disabled;
  e.checked = checked;
  return e;
}
MenuEntry Separator() {
  MenuEntry e;
  e.separator = true;
  return e;
}
MenuEntry Submenu(const char16_t* text, std::vector<MenuEntry> children) {
  MenuEntry e;
  e.text = text;
  e.children = std::move(children);
  return e;
}
}  // namespace

const MenuEntry* FindMenuEntry(const std::vector<MenuEntry>& entries, std::u16string_view text) {
  for (const MenuEntry& e : entries) {
    if (e.text == text) return &e;
    if (const MenuEntry* inner = FindMenuEntry(e.children, text)) return inner;
  }
  return nullptr;
}

std::vector<MenuEntry> BuildContextMenu(const MenuState& s) {
  std::vector<MenuEntry> themes;
  for (uint32_t t = 0; t < kThemeCount; ++t)
    themes.push_back(Item(kThemeNames[t], u"", 3101 + static_cast<int>(t), false, NormalizeThemeId(s.themeId) == t));
  static const char16_t* const kPercents[] = {u"0%  (opaque)", u"10%", u"20%", u"30%", u"40%", u"50%"};
  std::vector<MenuEntry> transparency;
  for (int k = 0; k < 6; ++k) transparency.push_back(Item(kPercents[k], u"", 6100 + k, false, s.transparency == k * 10));

  std::vector<MenuEntry> recent;
  int count = 0;
  for (int i = 0; i < 10 && !s.recent[i].empty(); ++i, ++count) {
    std::u16string label = DecimalText(static_cast<unsigned>(i + 1)) + u".  " + GetDisplayName(s.recent[i]);
    if (!s.recentExists[i]) label += u"  \u2297";
    recent.push_back(Submenu(label.c_str(), {Item(u"Open", u"", 7000 + i, !s.recentExists[i]),
                                             Item(u"Remove from list", u"", 7010 + i)}));
  }
  if (count == 0) recent.push_back(Item(u"(empty)", u"", 0, true));
  recent.push_back(Separator());
  recent.push_back(Item(u"Clear All", u"", 7020, count == 0));

  return {
      Item(u"Undo", u"Ctrl+Z", 2001, !s.canUndo),
      Item(u"Redo", u"Ctrl+Y", 2002, !s.canRedo),
      Separator(),
      Item(u"Cut", u"Ctrl+X", 2003, !s.hasSelection),
      Item(u"Copy", u"Ctrl+C", 2004, !s.hasSelection),
      Item(u"Paste", u"Ctrl+V", 2005, !s.clipboardHasText),
      Separator(),
      Item(u"Select All", u"Ctrl+A", 2006, s.documentEmpty),
      Separator(),
      Item(u"Find & Replace", u"Ctrl+H", 2007),
      Item(u"Regex Search...", u"Ctrl+Shift+H", 817),
      Separator(),
      Item(u"Font...", u"Ctrl+Shift+F", 210),
      Separator(),
      Submenu(u"View", {Item(u"Line Numbers", u"", 3001, false, s.lineNumbersShown),
                        Item(u"Word Wrap", u"", 3002, false, s.wordWrap)}),
      Submenu(u"Print", {Item(u"Page Setup...", u"", 603), Item(u"Print Preview...", u"", 601),
                         Item(u"Print...", u"Ctrl+P", 602)}),
      Separator(),
      Item(u"MD Preview (HTML)", u"", 3201, !IsMarkdownPath(s.path)),
      Separator(),
      Submenu(u"Theme", std::move(themes)),
      Submenu(u"Transparency", std::move(transparency)),
      Separator(),
      Item(u"Save", u"Ctrl+S", 1003),
      Item(u"Save As...", u"Ctrl+Shift+S", 1004),
      Separator(),
      Submenu(u"Recent Files", std::move(recent)),
      Separator(),
      Item(u"New", u"Ctrl+N", 1001),
      Item(u"Open...", u"Ctrl+O", 1002),
  };
}

std::vector<MenuEntry> BuildEditFieldMenu(const EditFieldState& s) {
  return {
      Item(u"Undo", u"Ctrl+Z", 1, !s.canUndo || s.readOnly),
      Separator(),
      Item(u"Cut", u"Ctrl+X", 2, !s.hasSelection || s.readOnly),
      Item(u"Copy", u"Ctrl+C", 3, !s.hasSelection),
      Item(u"Paste", u"Ctrl+V", 4, !s.clipboardHasText || s.readOnly),
      Item(u"Delete", u"", 5, !s.hasSelection || s.readOnly),
      Separator(),
      Item(u"Select All", u"Ctrl+A", 6, s.empty),
  };
}

int MenuItemWidth(int textWidth, int shortcutWidth, int minimum) {
  if (shortcutWidth > 0) return std::max(minimum, textWidth + 40 + shortcutWidth + 24);
  return std::max(minimum, textWidth + 40);
}

#include "app/context_menu.h"

#include "app/shell_logic.h"
#include "common/utf.h"
#include "export/export_logic.h"
#include "settings/theme.h"

std::vector<MenuEntry> BuildContextMenu(const MenuState& s) {
  std::vector<MenuEntry> themes;
  for (uint32_t t = 0; t < kThemeCount; ++t)
    themes.push_back(MenuItem(kThemeNames[t], u"", 3101 + static_cast<int>(t), false, NormalizeThemeId(s.themeId) == t));
  static const char16_t* const kPercents[] = {u"0%  (opaque)", u"10%", u"20%", u"30%", u"40%", u"50%"};
  std::vector<MenuEntry> transparency;
  for (int k = 0; k < 6; ++k) transparency.push_back(MenuItem(kPercents[k], u"", 6100 + k, false, s.transparency == k * 10));

  std::vector<MenuEntry> recent;
  int count = 0;
  for (int i = 0; i < 10 && !s.recent[i].empty(); ++i, ++count) {
    std::u16string label = DecimalText(static_cast<unsigned>(i + 1)) + u".  " + GetDisplayName(s.recent[i]);
    if (!s.recentExists[i]) label += u"  \u2297";
    recent.push_back(MenuSubmenu(label.c_str(), {MenuItem(u"Open", u"", 7000 + i, !s.recentExists[i]),
                                             MenuItem(u"Remove from list", u"", 7010 + i)}));
  }
  if (count == 0) recent.push_back(MenuItem(u"(empty)", u"", 0, true));
  recent.push_back(MenuSeparator());
  recent.push_back(MenuItem(u"Clear All", u"", 7020, count == 0));

  return {
      MenuItem(u"Undo", u"Ctrl+Z", 2001, !s.canUndo),
      MenuItem(u"Redo", u"Ctrl+Y", 2002, !s.canRedo),
      MenuSeparator(),
      MenuItem(u"Cut", u"Ctrl+X", 2003, !s.hasSelection),
      MenuItem(u"Copy", u"Ctrl+C", 2004, !s.hasSelection),
      MenuItem(u"Paste", u"Ctrl+V", 2005, !s.clipboardHasText),
      MenuSeparator(),
      MenuItem(u"Select All", u"Ctrl+A", 2006, s.documentEmpty),
      MenuSeparator(),
      MenuItem(u"Find & Replace", u"Ctrl+H", 2007),
      MenuItem(u"Regex Search...", u"Ctrl+Shift+H", 817),
      MenuSeparator(),
      MenuItem(u"Font...", u"Ctrl+Shift+F", 210),
      MenuSeparator(),
      MenuSubmenu(u"View", {MenuItem(u"Line Numbers", u"", 3001, false, s.lineNumbersShown),
                        MenuItem(u"Word Wrap", u"", 3002, false, s.wordWrap)}),
      MenuSubmenu(u"Print", {MenuItem(u"Page Setup...", u"", 603), MenuItem(u"Print Preview...", u"", 601),
                         MenuItem(u"Print...", u"Ctrl+P", 602)}),
      MenuSeparator(),
      MenuItem(u"MD Preview (HTML)", u"", 3201, !IsMarkdownPath(s.path)),
      MenuSeparator(),
      MenuSubmenu(u"Theme", std::move(themes)),
      MenuSubmenu(u"Transparency", std::move(transparency)),
      MenuSeparator(),
      MenuItem(u"Save", u"Ctrl+S", 1003),
      MenuItem(u"Save As...", u"Ctrl+Shift+S", 1004),
      MenuSeparator(),
      MenuSubmenu(u"Recent Files", std::move(recent)),
      MenuSeparator(),
      MenuItem(u"New", u"Ctrl+N", 1001),
      MenuItem(u"Open...", u"Ctrl+O", 1002),
  };
}

#include "ui/menu_model.h"

#include <algorithm>

MenuEntry MenuItem(const char16_t* text, const char16_t* shortcut, int id, bool disabled, bool checked) {
  MenuEntry e;
  e.text = text;
  e.shortcut = shortcut;
  e.id = id;
  e.disabled = disabled;
  e.checked = checked;
  return e;
}
MenuEntry MenuSeparator() {
  MenuEntry e;
  e.separator = true;
  return e;
}
MenuEntry MenuSubmenu(const char16_t* text, std::vector<MenuEntry> children) {
  MenuEntry e;
  e.text = text;
  e.children = std::move(children);
  return e;
}

const MenuEntry* FindMenuEntry(const std::vector<MenuEntry>& entries, std::u16string_view text) {
  for (const MenuEntry& e : entries) {
    if (e.text == text) return &e;
    if (const MenuEntry* inner = FindMenuEntry(e.children, text)) return inner;
  }
  return nullptr;
}

std::vector<MenuEntry> BuildEditFieldMenu(const EditFieldState& s) {
  return {
      MenuItem(u"Undo", u"Ctrl+Z", 1, !s.canUndo || s.readOnly),
      MenuSeparator(),
      MenuItem(u"Cut", u"Ctrl+X", 2, !s.hasSelection || s.readOnly),
      MenuItem(u"Copy", u"Ctrl+C", 3, !s.hasSelection),
      MenuItem(u"Paste", u"Ctrl+V", 4, !s.clipboardHasText || s.readOnly),
      MenuItem(u"Delete", u"", 5, !s.hasSelection || s.readOnly),
      MenuSeparator(),
      MenuItem(u"Select All", u"Ctrl+A", 6, s.empty),
  };
}

int MenuItemWidth(int textWidth, int shortcutWidth, int minimum) {
  if (shortcutWidth > 0) return std::max(minimum, textWidth + 40 + shortcutWidth + 24);
  return std::max(minimum, textWidth + 40);
}

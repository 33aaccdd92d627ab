// Owner-drawn menus as data: entries, the edit-field menu with its enabling rules, item widths.
// No window handles here.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct MenuEntry {
  std::u16string text;
  std::u16string shortcut;
  int id = 0;
  bool separator = false;
  bool disabled = false;
  bool checked = false;
  std::vector<MenuEntry> children;  // not empty: the entry opens a submenu
};

// Entries: a command (with its shortcut text, possibly greyed or checked), a separator, a submenu.
MenuEntry MenuItem(const char16_t* text, const char16_t* shortcut, int id, bool disabled = false,
                   bool checked = false);
MenuEntry MenuSeparator();
MenuEntry MenuSubmenu(const char16_t* text, std::vector<MenuEntry> children);

// The first entry with this text, searching submenus too; null when there is none.
const MenuEntry* FindMenuEntry(const std::vector<MenuEntry>& entries, std::u16string_view text);

struct EditFieldState {
  bool canUndo = false, readOnly = false, hasSelection = false, clipboardHasText = false, empty = true;
};
// Ids 1..6: Undo, Cut, Copy, Paste, Delete, Select All.
std::vector<MenuEntry> BuildEditFieldMenu(const EditFieldState& state);

// Width of an owner-drawn item: max(minimum, tw + 40 + sw + 24) with a shortcut, else max(minimum, tw + 40).
int MenuItemWidth(int textWidth, int shortcutWidth, int minimum);

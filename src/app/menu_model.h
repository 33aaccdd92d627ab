// The context menu's tree and the edit-field menu, with their enabling and check rules,
// built from a snapshot of the editor's state. No window handles here.
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

struct MenuState {
  bool canUndo = false, canRedo = false;
  bool hasSelection = false;
  bool clipboardHasText = false;
  bool documentEmpty = true;
  std::u16string path;
  bool lineNumbersShown = true, wordWrap = true;
  uint32_t themeId = 0;
  int transparency = 0;
  std::array<std::u16string, 10> recent;     // empty slots end the list
  std::array<bool, 10> recentExists{};       // whether each file is on disk
};
std::vector<MenuEntry> BuildContextMenu(const MenuState& state);

// The first entry with this text, searching submenus too; null when there is none.
const MenuEntry* FindMenuEntry(const std::vector<MenuEntry>& entries, std::u16string_view text);

struct EditFieldState {
  bool canUndo = false, readOnly = false, hasSelection = false, clipboardHasText = false, empty = true;
};
// Ids 1..6: Undo, Cut, Copy, Paste, Delete, Select All.
std::vector<MenuEntry> BuildEditFieldMenu(const EditFieldState& state);

// Width of an owner-drawn item: max(minimum, tw + 40 + sw + 24) with a shortcut, else max(minimum, tw + 40).
int MenuItemWidth(int textWidth, int shortcutWidth, int minimum);

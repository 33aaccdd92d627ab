// The editor's context menu as data: its tree, with the enabling and check rules, built from a
// snapshot of the editor's state. No window handles here.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "ui/menu_model.h"

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

#include "app/context_menu.h"

#include <gtest/gtest.h>

namespace {
const MenuEntry& Get(const std::vector<MenuEntry>& items, const std::u16string& text) {
  const MenuEntry* e = FindMenuEntry(items, text);
  EXPECT_NE(e, nullptr) << std::string(text.begin(), text.end());
  static MenuEntry none;
  return e ? *e : none;
}
}  // namespace

TEST(ContextMenu, EnablingFollowsTheEditorState) {
  MenuState s;
  auto menu = BuildContextMenu(s);
  EXPECT_TRUE(Get(menu, u"Undo").disabled);
  EXPECT_TRUE(Get(menu, u"Cut").disabled);
  EXPECT_TRUE(Get(menu, u"Copy").disabled);
  EXPECT_TRUE(Get(menu, u"Paste").disabled);
  EXPECT_TRUE(Get(menu, u"Select All").disabled);
  EXPECT_TRUE(Get(menu, u"MD Preview (HTML)").disabled);
  EXPECT_FALSE(Get(menu, u"Save").disabled);
  s.canUndo = s.canRedo = s.hasSelection = s.clipboardHasText = true;
  s.documentEmpty = false;
  s.path = u"C:\\notes.MD";
  menu = BuildContextMenu(s);
  for (auto text : {u"Undo", u"Redo", u"Cut", u"Copy", u"Paste", u"Select All", u"MD Preview (HTML)"})
    EXPECT_FALSE(Get(menu, text).disabled);
}

TEST(ContextMenu, ChecksForViewThemeAndTransparency) {
  MenuState s;
  s.wordWrap = false;
  s.themeId = 4;
  s.transparency = 20;
  auto menu = BuildContextMenu(s);
  EXPECT_TRUE(Get(menu, u"Line Numbers").checked);
  EXPECT_FALSE(Get(menu, u"Word Wrap").checked);
  EXPECT_TRUE(Get(menu, u"Night").checked);
  EXPECT_FALSE(Get(menu, u"Norvo Dark").checked);
  EXPECT_TRUE(Get(menu, u"20%").checked);
  s.themeId = 9;  // counts as theme 0
  EXPECT_TRUE(Get(BuildContextMenu(s), u"Norvo Dark").checked);
}

TEST(ContextMenu, RecentFilesSubmenu) {
  MenuState s;
  auto empty = Get(BuildContextMenu(s), u"Recent Files").children;
  ASSERT_EQ(empty.size(), 3u);
  EXPECT_EQ(empty[0].text, u"(empty)");
  EXPECT_TRUE(empty[0].disabled);
  EXPECT_TRUE(empty[2].disabled);  // Clear All
  for (int i = 0; i < 10; ++i) {
    s.recent[i] = u"C:\\f" + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".txt";
    s.recentExists[i] = i != 3;
  }
  auto recent = Get(BuildContextMenu(s), u"Recent Files").children;
  ASSERT_EQ(recent.size(), 12u);
  EXPECT_EQ(recent[0].text, u"1.  fa.txt");
  EXPECT_EQ(recent[9].text, u"10.  fj.txt");
  EXPECT_EQ(recent[3].text, u"4.  fd.txt  \u2297");
  EXPECT_TRUE(recent[3].children[0].disabled);   // Open
  EXPECT_FALSE(recent[3].children[1].disabled);  // Remove from list
  EXPECT_EQ(recent[3].children[0].id, 7003);
  EXPECT_EQ(recent[3].children[1].id, 7013);
  EXPECT_FALSE(recent[11].disabled);
  EXPECT_EQ(recent[11].id, 7020);
}

TEST(EditFieldMenu, ReadOnlyWithSelectionAllowsOnlyCopyAndSelectAll) {
  EditFieldState s;
  s.readOnly = s.hasSelection = s.clipboardHasText = s.canUndo = true;
  s.empty = false;
  for (const MenuEntry& e : BuildEditFieldMenu(s)) {
    if (e.separator) continue;
    EXPECT_EQ(e.disabled, !(e.text == u"Copy" || e.text == u"Select All")) << std::string(e.text.begin(), e.text.end());
  }
  EditFieldState empty;
  for (const MenuEntry& e : BuildEditFieldMenu(empty)) {
    if (!e.separator) {
      EXPECT_TRUE(e.disabled);
    }
  }
}

TEST(MenuMeasure, WidthRule) {
  EXPECT_EQ(MenuItemWidth(50, 0, 190), 190);
  EXPECT_EQ(MenuItemWidth(200, 0, 190), 240);
  EXPECT_EQ(MenuItemWidth(100, 60, 190), 224);
  EXPECT_EQ(MenuItemWidth(10, 10, 160), 160);
}

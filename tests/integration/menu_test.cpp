// The context menus with the real window, clipboard and control.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "app/context_menu_win.h"
#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "document/file_commands_win.h"
#include "document/recent_win.h"
#include "harness.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/menu_win.h"

namespace {

bool Disabled(const std::u16string& text) {
  const MenuEntry* e = FindMenuEntry(BuildContextMenu(CurrentMenuState()), text);
  EXPECT_NE(e, nullptr);
  return e && e->disabled;
}

void SetClipboardText(const wchar_t* text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  if (text) {
    size_t n = wcslen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, n * sizeof(wchar_t));
    std::copy_n(text, n, static_cast<wchar_t*>(GlobalLock(memory)));
    GlobalUnlock(memory);
    SetClipboardData(CF_UNICODETEXT, memory);
  }
  CloseClipboard();
}

using Menus = MainWindowTest;

TEST_F(Menus, EnablingFollowsClipboardSelectionDocumentAndPath) {
  SetClipboardText(nullptr);
  EXPECT_TRUE(Disabled(u"Paste"));
  SetClipboardText(L"from another program");
  EXPECT_FALSE(Disabled(u"Paste"));

  EXPECT_TRUE(Disabled(u"Select All"));  // empty document
  EXPECT_TRUE(Disabled(u"Undo"));
  Sci(SCI_REPLACESEL, 0, "text");
  EXPECT_FALSE(Disabled(u"Select All"));
  EXPECT_FALSE(Disabled(u"Undo"));
  EXPECT_TRUE(Disabled(u"Cut"));  // nothing selected
  EXPECT_TRUE(Disabled(u"Copy"));
  Sci(SCI_SETSEL, 0, 2);
  EXPECT_FALSE(Disabled(u"Cut"));
  EXPECT_FALSE(Disabled(u"Copy"));

  EXPECT_TRUE(Disabled(u"MD Preview (HTML)"));  // untitled
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"notes.MD", "# x")));
  EXPECT_FALSE(Disabled(u"MD Preview (HTML)"));
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, temp_.Write(u"readme.markdown", "# x")));
  EXPECT_TRUE(Disabled(u"MD Preview (HTML)"));
}

TEST_F(Menus, TheMenuKnowsWhichRecentFilesAreMissing) {
  WriteRecentList(g_settings, RecentList{});
  AddRecentFile(temp_.Path(u"gone.txt"));
  AddRecentFile(temp_.Write(u"here.txt", "x"));
  MenuState state = CurrentMenuState();  // how a missing file is shown is the menu's unit test
  EXPECT_TRUE(state.recentExists[0]);
  EXPECT_FALSE(state.recentExists[1]);
  WriteRecentList(g_settings, RecentList{});
}

// Waits (until `stop` or a time-out) for the menu window of this process and sends it keys.
std::atomic<bool> g_noStop{false};
std::thread AnswerMenu(std::atomic<bool>& seen, std::initializer_list<UINT> keys, std::atomic<bool>& stop = g_noStop) {
  std::vector<UINT> sequence(keys);
  return std::thread([&seen, &stop, sequence] {
    DWORD start = GetTickCount();
    while (!stop && GetTickCount() - start < 10000) {
      HWND menu = FindWindowW(L"#32768", nullptr);
      if (menu && IsWindowVisible(menu)) {
        seen = true;
        for (UINT key : sequence) PostMessageW(menu, WM_KEYDOWN, key, 0);
        return;
      }
      Sleep(20);
    }
  });
}

TEST_F(Menus, TheContextMenuOpensAndClosesAndIsNeverShownInTheViewer) {
  std::atomic<bool> seen{false};
  std::thread helper = AnswerMenu(seen, {VK_ESCAPE, VK_ESCAPE});
  SendMessageW(g_shell.mainWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(g_shell.mainWindow), MAKELPARAM(100, 100));
  helper.join();
  EXPECT_TRUE(seen);

  // A right click in the editor opens the same menu.
  std::atomic<bool> clickSeen{false};
  std::thread clickHelper = AnswerMenu(clickSeen, {VK_ESCAPE, VK_ESCAPE});
  SendMessageW(g_shell.editor, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  clickHelper.join();
  EXPECT_TRUE(clickSeen);

  // In the viewer the call returns at once; a menu shown by mistake would be closed by the helper.
  g_shell.viewerMode = true;
  std::atomic<bool> viewerSeen{false}, stop{false};
  std::thread none = AnswerMenu(viewerSeen, {VK_ESCAPE}, stop);
  SendMessageW(g_shell.mainWindow, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(g_shell.mainWindow), MAKELPARAM(100, 100));
  SendMessageW(g_shell.editor, WM_RBUTTONUP, 0, MAKELPARAM(10, 10));
  g_shell.viewerMode = false;
  stop = true;
  none.join();
  EXPECT_FALSE(viewerSeen);
}

TEST_F(Menus, EditFieldMenuOfAComboBox) {
  HWND combo = CreateWindowExW(0, WC_COMBOBOXW, L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWN, 10, 60, 200, 200,
                               g_shell.mainWindow, nullptr, g_shell.instance, nullptr);
  ASSERT_NE(combo, nullptr);
  AttachEditContextMenu(combo, g_shell.mainWindow);
  AttachEditContextMenu(combo, g_shell.mainWindow);  // a second attach changes nothing
  HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
  ASSERT_NE(edit, nullptr);
  SetWindowTextW(edit, L"pattern text");

  SendMessageW(edit, EM_SETSEL, 0, 3);
  SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
  SetClipboardText(L"clip");
  for (const MenuEntry& e : BuildEditFieldMenu(ReadEditFieldState(edit))) {
    if (e.separator) continue;
    EXPECT_EQ(e.disabled, !(e.text == u"Copy" || e.text == u"Select All")) << std::string(e.text.begin(), e.text.end());
  }
  SendMessageW(edit, EM_SETREADONLY, FALSE, 0);

  // Opened from the keyboard and answered with Up (the last item, Select All) and Enter.
  SendMessageW(edit, EM_SETSEL, 0, 0);
  std::atomic<bool> seen{false};
  std::thread helper = AnswerMenu(seen, {VK_UP, VK_RETURN});
  SendMessageW(edit, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(edit), MAKELPARAM(-1, -1));
  helper.join();
  EXPECT_TRUE(seen);
  DWORD start = 0, end = 0;
  SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 0u);
  EXPECT_EQ(end, 12u);
  DestroyWindow(combo);
}

}  // namespace

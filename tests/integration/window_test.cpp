// The main window with its real children: creation, layout, posted loads, the title,
// the status bar, closing, and the themed message box itself.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>
#include <commctrl.h>

#include <atomic>
#include <thread>

#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "harness.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/ui_hooks_win.h"

namespace {

std::u16string StatusPart(int i) {
  wchar_t buf[256] = {};
  SendMessageW(g_shell.statusBar, SB_GETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
  return U16(buf);
}

void PostLoad(const std::u16string& path) {
  auto* copy = new wchar_t[path.size() + 1];
  std::copy(W(path), W(path) + path.size() + 1, copy);
  PostMessageW(g_shell.mainWindow, WMU_LOAD_FILE, 0, reinterpret_cast<LPARAM>(copy));
}

using MainWindow = MainWindowTest;

TEST_F(MainWindow, CreatesEditorAndStatusBarUntitled) {
  EXPECT_EQ(MainTitle(), u"Norvo - Untitled");
  ASSERT_NE(g_shell.editor, nullptr);
  ASSERT_NE(g_shell.statusBar, nullptr);
  EXPECT_EQ(Sci(SCI_GETMODEVENTMASK), SC_MOD_INSERTTEXT | SC_MOD_DELETETEXT);
  // Every text style carries the theme's colours, not the control's white default.
  const ColorPalette& p = GetColorPalette();
  for (int style : {0, 1, 31, 40, 127}) {
    EXPECT_EQ(Sci(SCI_STYLEGETBACK, style), static_cast<sptr_t>(p.editorBack)) << style;
    EXPECT_EQ(Sci(SCI_STYLEGETFORE, style), static_cast<sptr_t>(p.editorText)) << style;
  }
  for (int m = 0; m <= 4; ++m) EXPECT_EQ(Sci(SCI_GETMARGINWIDTHN, m), 0) << m;
}

TEST_F(MainWindow, LayoutLeavesTheToolbarStripAndDocksTheStatusBar) {
  SetWindowPos(g_shell.mainWindow, nullptr, 0, 0, 1000, 700, SWP_NOZORDER | SWP_NOACTIVATE);
  PumpPending();
  RECT client, editor, status;
  GetClientRect(g_shell.mainWindow, &client);
  GetWindowRect(g_shell.editor, &editor);
  GetWindowRect(g_shell.statusBar, &status);
  MapWindowPoints(nullptr, g_shell.mainWindow, reinterpret_cast<POINT*>(&editor), 2);
  MapWindowPoints(nullptr, g_shell.mainWindow, reinterpret_cast<POINT*>(&status), 2);
  EXPECT_EQ(editor.top, 44);
  ASSERT_NE(g_shell.marginWindow, nullptr);  // line numbers are on by default
  RECT margin;
  GetWindowRect(g_shell.marginWindow, &margin);
  MapWindowPoints(nullptr, g_shell.mainWindow, reinterpret_cast<POINT*>(&margin), 2);
  EXPECT_EQ(margin.left, 0);
  EXPECT_EQ(margin.top, 44);
  EXPECT_EQ(margin.right, g_shell.marginWidth);
  EXPECT_EQ(margin.bottom, editor.bottom);
  EXPECT_EQ(editor.left, g_shell.marginWidth);
  EXPECT_EQ(editor.right, client.right);
  EXPECT_EQ(editor.bottom, status.top);
  EXPECT_EQ(status.bottom, client.bottom);
  int edges[5] = {};
  ASSERT_EQ(SendMessageW(g_shell.statusBar, SB_GETPARTS, 5, reinterpret_cast<LPARAM>(edges)), 5);
  int p = std::max<int>(80, client.right - 360);
  EXPECT_EQ(edges[0], p);
  EXPECT_EQ(edges[4], -1);
  // Word wrap is on by default: no horizontal scroll bar.
  EXPECT_EQ(Sci(SCI_GETHSCROLLBAR), 0);
}

TEST_F(MainWindow, MinimumTrackingSize) {
  MINMAXINFO info{};
  SendMessageW(g_shell.mainWindow, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 640);
  EXPECT_EQ(info.ptMinTrackSize.y, 480);
}

TEST_F(MainWindow, PostedLoadSetsPathTitleAndStatus) {
  std::u16string path = temp_.Write(u"notes.txt", std::string("\xFF\xFE" "a\0\t\0b\0\n\0", 10));
  PostLoad(path);
  ASSERT_TRUE(PumpUntil([&] { return g_doc.path == path; }));
  EXPECT_EQ(MainTitle(), u"Norvo - notes.txt");
  EXPECT_FALSE(g_doc.modified);
  EXPECT_EQ(StatusPart(0), u"  Ln 1, Col 1");
  EXPECT_EQ(StatusPart(2), u"  UTF-16 LE");
  EXPECT_EQ(StatusPart(3), u"  LF");
  Sci(SCI_SETSEL, 0, 2);  // "a\t"
  PumpPending();
  UpdateStatusBar();
  EXPECT_EQ(StatusPart(1), u"  Sel: 2");
  EXPECT_EQ(StatusPart(0), u"  Ln 1, Col 5");
  // An edit updates the status line by itself.
  Sci(SCI_GOTOPOS, 3);
  Sci(SCI_REPLACESEL, 0, "d");
  PumpPending();
  EXPECT_EQ(StatusPart(0), u"  Ln 1, Col 7");
}

TEST_F(MainWindow, FailedPostedLoadLeavesTheWindowUntitled) {
  PostLoad(temp_.Path(u"missing.txt"));
  ASSERT_TRUE(PumpUntil([] { return !g_shownMessages.empty(); }));
  EXPECT_EQ(g_shownMessages[0].title, u"Norvo - Error");
  EXPECT_EQ(MainTitle(), u"Norvo - Untitled");
  EXPECT_TRUE(g_doc.path.empty());
}

TEST_F(MainWindow, EditingCommandsReachTheEditor) {
  Sci(SCI_APPENDTEXT, 5, "hello");
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_SELECT_ALL, 0);
  EXPECT_EQ(Sci(SCI_GETSELECTIONEND) - Sci(SCI_GETSELECTIONSTART), 5);
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_UNDO, 0);
  EXPECT_EQ(Sci(SCI_GETLENGTH), 0);
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_REDO, 0);
  EXPECT_EQ(Sci(SCI_GETLENGTH), 5);
}

TEST_F(MainWindow, ClosingStoresPlacementAndLastFile) {
  std::u16string path = temp_.Write(u"last.txt", "x");
  PostLoad(path);
  ASSERT_TRUE(PumpUntil([&] { return g_doc.path == path; }));
  SetWindowPos(g_shell.mainWindow, nullptr, 30, 40, 800, 600, SWP_NOZORDER | SWP_NOACTIVATE);
  g_live.wordWrap = false;  // live mirrors go back into the record at exit
  SendMessageW(g_shell.mainWindow, WM_CLOSE, 0, 0);
  PumpPending();
  g_live.wordWrap = true;
  EXPECT_EQ(g_shell.mainWindow, nullptr);
  EXPECT_FALSE(static_cast<bool>(g_doc.fileHandle));
  AppSettings stored;
  ASSERT_TRUE(LoadSettings(stored));
  EXPECT_EQ(stored.lastFile.Get(), path);
  EXPECT_EQ(static_cast<int>(stored.windowX), 30);
  EXPECT_EQ(static_cast<int>(stored.windowY), 40);
  EXPECT_EQ(static_cast<int>(stored.windowWidth), 800);
  EXPECT_EQ(static_cast<int>(stored.windowHeight), 600);
  EXPECT_EQ(stored.wordWrap, 0);
  g_settings.wordWrap = 1;
}

// The real dialog: a helper thread finds it, reads it, and answers it.
struct BoxAnswer {
  UINT message;
  WPARAM wParam;
};
struct BoxSeen {
  std::u16string text;
  std::u16string button1;
  int buttons = 0;
};

int RunRealBox(int kind, const std::u16string& text, BoxAnswer answer, BoxSeen* seen) {
  g_uiHooks.messageBox = nullptr;
  std::atomic<bool> stop{false};
  std::thread helper([&] {
    DWORD start = GetTickCount();
    while (!stop && GetTickCount() - start < 10000) {
      HWND box = FindWindowW(L"#32770", L"Norvo - Test Box");
      if (box && IsWindowVisible(box)) {
        wchar_t buf[512] = {};
        GetDlgItemTextW(box, 2500, buf, 512);
        seen->text = U16(buf);
        GetDlgItemTextW(box, 2501, buf, 512);
        seen->button1 = U16(buf);
        for (int id = 2501; id <= 2503; ++id) seen->buttons += GetDlgItem(box, id) ? 1 : 0;
        PostMessageW(box, answer.message, answer.wParam, 0);
        return;
      }
      Sleep(20);
    }
  });
  int result = ShowMessageBox(nullptr, kind, u"Norvo - Test Box", text);
  stop = true;
  helper.join();
  g_uiHooks.messageBox = RecordMessageForTests;
  return result;
}

struct BoxCase {
  int kind;
  BoxAnswer answer;
  int result;
  int buttons;
  const char16_t* firstButton;
};
class RealMessageBox : public testing::TestWithParam<BoxCase> {};

TEST_P(RealMessageBox, ButtonsAndEscapeMapToResults) {
  const BoxCase& c = GetParam();
  BoxSeen seen;
  int result = RunRealBox(c.kind, u"Line one\nLine two", c.answer, &seen);
  EXPECT_EQ(result, c.result);
  EXPECT_EQ(seen.text, u"Line one\nLine two");
  EXPECT_EQ(seen.buttons, c.buttons);
  EXPECT_EQ(seen.button1, c.firstButton);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, RealMessageBox,
    testing::Values(BoxCase{SaveDontSaveCancel, {WM_COMMAND, 2502}, ResultNo, 3, u"Save"},
                    BoxCase{SaveDontSaveCancel, {WM_COMMAND, 2503}, ResultCancel, 3, u"Save"},
                    BoxCase{SaveDontSaveCancel, {WM_COMMAND, IDCANCEL}, ResultCancel, 3, u"Save"},
                    BoxCase{OkCancel, {WM_COMMAND, 2502}, ResultCancel, 2, u"OK"},
                    BoxCase{Ok, {WM_CLOSE, 0}, ResultOk, 1, u"OK"},
                    BoxCase{YesNo, {WM_COMMAND, 2501}, ResultYes, 2, u"Yes"},
                    BoxCase{YesNo, {WM_CLOSE, 0}, ResultCancel, 2, u"Yes"}));

TEST(RealMessageBoxSize, FollowsTheTextInDialogUnits) {
  g_uiHooks.messageBox = nullptr;
  RECT measured{};
  RECT units{0, 0, 220, 63};
  std::thread helper([&] {
    DWORD start = GetTickCount();
    while (GetTickCount() - start < 10000) {
      HWND box = FindWindowW(L"#32770", L"Norvo - Size Box");
      if (box && IsWindowVisible(box)) {
        GetClientRect(box, &measured);
        MapDialogRect(box, &units);
        PostMessageW(box, WM_COMMAND, 2501, 0);
        return;
      }
      Sleep(20);
    }
  });
  ShowMessageBox(nullptr, Ok, u"Norvo - Size Box", u"short\nthree\nlines");
  helper.join();
  g_uiHooks.messageBox = RecordMessageForTests;
  EXPECT_EQ(measured.right, units.right);
  EXPECT_EQ(measured.bottom, units.bottom);
}

}  // namespace

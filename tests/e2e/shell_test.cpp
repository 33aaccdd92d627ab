// The editing shell from outside: typing, Ctrl+S through the keyboard, the close question,
// a file that vanishes while open, and the system's file dialogs.
#include <Scintilla.h>
#include <gtest/gtest.h>

#include "driver.h"

namespace {

class Shell : public ScratchTest {
 protected:
  Shell() : ScratchTest(u"shell") {}
  static void TypeText(HWND editor, const std::string& text) {
    for (char c : text) PostMessageW(editor, WM_CHAR, static_cast<WPARAM>(c), 0);
  }
};

void PressCtrl(char key) {
  INPUT in[4] = {};
  for (auto& i : in) i.type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_CONTROL;
  in[1].ki.wVk = static_cast<WORD>(key);
  in[2].ki.wVk = static_cast<WORD>(key);
  in[2].ki.dwFlags = KEYEVENTF_KEYUP;
  in[3].ki.wVk = VK_CONTROL;
  in[3].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(4, in, sizeof(INPUT));
}

// Ctrl+S through the keyboard saves; the close question from outside saves the rest (what each
// of its answers does is the integration tests' own).
TEST_F(Shell, CtrlSSavesAndTheCloseQuestionSavesTheRest) {
  std::u16string path = File(u"typed.txt", "start");
  Program norvo(NorvoExe(), {path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - typed.txt");
  ASSERT_NE(main, nullptr);
  HWND editor = ChildById(main, 1);
  SendMessageW(editor, SCI_DOCUMENTEND, 0, 0);
  TypeText(editor, " typed");
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - typed.txt *"; }));
  SetForegroundWindow(main);
  ASSERT_TRUE(WaitUntil([&] { return GetForegroundWindow() == main; }));
  PressCtrl('S');
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - typed.txt"; }));
  EXPECT_EQ(ReadBytes(path), "start typed");

  TypeText(editor, "!");
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - typed.txt *"; }));
  PostMessageW(main, WM_CLOSE, 0, 0);
  HWND box = norvo.WaitForWindow(u"#32770", u"Norvo");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(ChildById(box, 2500)), u"Save changes to \"typed.txt\"?");
  EXPECT_EQ(WindowText(ChildById(box, 2502)), u"Don't Save");
  PostMessageW(box, WM_COMMAND, 2501, 0);
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  EXPECT_EQ(ReadBytes(path), "start typed!");
}

TEST_F(Shell, AFileWhoseFolderVanishesIsNoticedOnActivation) {
  std::u16string folder = dir_ + u"\\moving";
  CreateDirectoryW(W(folder), nullptr);
  std::u16string path = folder + u"\\watched.txt";
  ASSERT_TRUE(WriteBytes(path, "watched"));
  Program norvo(NorvoExe(), {path});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - watched.txt");
  ASSERT_NE(main, nullptr);
  // The open file itself is locked against deletion; its folder is moved away instead.
  std::u16string moved = dir_ + u"\\moved-away";
  if (!MoveFileW(W(folder), W(moved))) {
    norvo.Kill();
    GTEST_SKIP() << "this system does not let a folder with an open file be moved";
  }
  // Activate the editor from this (another) program.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  SetForegroundWindow(other);
  SetForegroundWindow(main);
  HWND box = norvo.WaitForWindow(u"#32770", u"Norvo \u2014 File Changed");
  DestroyWindow(other);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(WindowText(ChildById(box, 2500)),
            u"\"watched.txt\" was deleted from disk.\n\nDo you want to save it to the original location?");
  PostMessageW(box, WM_COMMAND, 2502, 0);  // keep it as an untitled document
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - Untitled"; }));
  EXPECT_EQ(EditorText(ChildById(main, 1)), "watched");
  PostMessageW(main, WM_CLOSE, 0, 0);  // untitled and unmodified now: nothing to ask
  EXPECT_EQ(norvo.WaitForExit(), 0u);
  MoveFileW(W(moved), W(folder));
}

}  // namespace

namespace {

TEST_F(Shell, OpenAndSaveAsThroughTheSystemDialogs) {
  std::u16string chosen = File(u"chosen.txt", "chosen text");
  Program norvo(NorvoExe(), {});
  HWND main = norvo.WaitForWindow(u"NorvoMainWindow", u"Norvo - Untitled");
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, 1002, 0);
  HWND open = norvo.WaitForWindow(u"", u"Open File - Norvo");
  ASSERT_NE(open, nullptr);
  ChooseInFileDialog(open, chosen);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - chosen.txt"; }));
  EXPECT_EQ(EditorText(ChildById(main, 1)), "chosen text");

  std::u16string copy = dir_ + u"\\copy.md";
  DeleteFileW(W(copy));
  PostMessageW(main, WM_COMMAND, 1004, 0);
  HWND save = norvo.WaitForWindow(u"", u"Save As - Norvo");
  ASSERT_NE(save, nullptr);
  ChooseInFileDialog(save, copy);
  ASSERT_TRUE(WaitUntil([&] { return WindowText(main) == u"Norvo - copy.md"; }));
  EXPECT_EQ(ReadBytes(copy), "chosen text");
  CloseAndExpectExitZero(norvo, main);
}
}  // namespace

// Find and Replace with the real dialog and the real control.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "harness.h"
#include "search/find_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"

namespace {

class Find : public MainWindowTest {
 protected:
  void SetUp() override {
    MainWindowTest::SetUp();
    for (auto& slot : g_settings.findHistory) slot.Set(u"");
    for (auto& slot : g_settings.replaceHistory) slot.Set(u"");
  }
  HWND Open(const char* text) {
    Sci(SCI_SETTEXT, 0, text);
    Sci(SCI_EMPTYUNDOBUFFER);
    g_doc.modified = false;
    SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_FIND_REPLACE, 0);
    PumpPending();
    return g_shell.findDialog;
  }
  static void Set(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text); }
  static void Check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }
  static void Press(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    PumpPending();
  }
  static std::u16string Status(HWND dialog) {
    wchar_t buf[256] = {};
    GetDlgItemTextW(dialog, IDC_FIND_STATUS, buf, 256);
    return U16(buf);
  }
  static std::pair<sptr_t, sptr_t> Selection() { return {Sci(SCI_GETSELECTIONSTART), Sci(SCI_GETSELECTIONEND)}; }
  static bool Marked(int indicator, sptr_t pos) { return Sci(SCI_INDICATORVALUEAT, indicator, pos) != 0; }
};

TEST_F(Find, NextAndPrevWithAndWithoutWrap) {
  HWND d = Open("one two one three one");
  ASSERT_NE(d, nullptr);
  Set(d, IDC_FIND_WHAT, L"one");
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{0}, sptr_t{3}));
  EXPECT_EQ(Status(d), u"3 matches found.");
  EXPECT_EQ(g_statusKind, 0);
  EXPECT_TRUE(Marked(10, 1));
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{8}, sptr_t{11}));
  EXPECT_FALSE(Marked(10, 1));  // only the current match is marked
  Press(d, IDC_FIND_NEXT);
  Press(d, IDC_FIND_NEXT);  // wraps to the first
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{0}, sptr_t{3}));
  Press(d, IDC_FIND_PREV);  // before the first: wraps to the last
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{18}, sptr_t{21}));

  Check(d, IDC_WRAP_AROUND, false);
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Status(d), u"No more matches.");
  EXPECT_EQ(g_statusKind, 1);
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{18}, sptr_t{21}));  // unchanged
  Set(d, IDC_FIND_WHAT, L"absent");
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Status(d), u"No matches.");
  EXPECT_EQ(g_settings.findHistory[0].Get(), u"absent");
  EXPECT_EQ(g_settings.findHistory[1].Get(), u"one");
}

TEST_F(Find, TypingBetweenPressesForcesANewSearch) {
  HWND d = Open("a x a");
  Set(d, IDC_FIND_WHAT, L"a");
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Status(d), u"2 matches found.");
  Sci(SCI_DOCUMENTEND);
  Sci(SCI_REPLACESEL, 0, " a");
  PumpPending();
  EXPECT_TRUE(g_searchCache.text.empty());
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Status(d), u"3 matches found.");
}

TEST_F(Find, ReplaceThenFindsTheNextAndPreservesCase) {
  HWND d = Open("FOO Foo fOO");
  Set(d, IDC_FIND_WHAT, L"foo");
  Set(d, IDC_REPLACE_WITH, L"bar");
  Check(d, IDC_PRESERVE_CASE, true);
  Press(d, IDC_REPLACE);  // nothing selected: only finds
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{0}, sptr_t{3}));
  Press(d, IDC_REPLACE);
  Press(d, IDC_REPLACE);
  Press(d, IDC_REPLACE);
  EXPECT_EQ(GetDocumentText(), "BAR Bar bar");
  EXPECT_TRUE(g_doc.modified);
  EXPECT_TRUE(Marked(9, 0));
  EXPECT_TRUE(Marked(9, 9));
  EXPECT_EQ(g_settings.replaceHistory[0].Get(), u"bar");
}

TEST_F(Find, ReplaceAllIsOneUndoStepAndMarksTheReplacements) {
  HWND d = Open("cat catalog bobcat cat_1");
  Set(d, IDC_FIND_WHAT, L"cat");
  Set(d, IDC_REPLACE_WITH, L"lion");
  Check(d, IDC_WHOLE_WORD, true);
  Press(d, IDC_REPLACE_ALL);
  EXPECT_EQ(GetDocumentText(), "lion catalog bobcat lion_1");
  EXPECT_EQ(Status(d), u"2 occurrence(s) replaced.");
  EXPECT_EQ(g_statusKind, 2);
  EXPECT_TRUE(Marked(9, 0));
  EXPECT_TRUE(Marked(9, 3));
  EXPECT_FALSE(Marked(9, 4));
  EXPECT_TRUE(Marked(9, 20));
  EXPECT_EQ(Sci(SCI_INDICGETALPHA, 9), 120);
  EXPECT_TRUE(g_doc.modified);
  Sci(SCI_UNDO);
  EXPECT_EQ(GetDocumentText(), "cat catalog bobcat cat_1");
  EXPECT_EQ(Sci(SCI_CANUNDO), 0);
}

TEST_F(Find, ReplaceAllOfAWordWithItselfChangesNothing) {
  HWND d = Open("x y x");
  Set(d, IDC_FIND_WHAT, L"x");
  Set(d, IDC_REPLACE_WITH, L"x");
  Press(d, IDC_REPLACE_ALL);
  EXPECT_EQ(Status(d), u"No occurrences found.");
  EXPECT_EQ(Sci(SCI_CANUNDO), 0);
  EXPECT_FALSE(g_doc.modified);
}

TEST_F(Find, ReplaceInSelectionWithoutSelectionRunsOnTheWholeDocument) {
  HWND d = Open("a a a");
  Set(d, IDC_FIND_WHAT, L"a");
  Set(d, IDC_REPLACE_WITH, L"b");
  Check(d, IDC_IN_SELECTION, true);
  Sci(SCI_SETEMPTYSELECTION, 0);
  Press(d, IDC_REPLACE_ALL);
  EXPECT_EQ(GetDocumentText(), "b b b");
  EXPECT_EQ(IsDlgButtonChecked(d, IDC_IN_SELECTION), static_cast<UINT>(BST_UNCHECKED));
  // With a selection only the selection changes.
  Sci(SCI_SETTEXT, 0, "a a a a");
  Sci(SCI_SETSEL, 2, 5);
  Check(d, IDC_IN_SELECTION, true);
  Press(d, IDC_REPLACE_ALL);
  EXPECT_EQ(GetDocumentText(), "a b b a");
  // The option is stored only on closing.
  AppSettings stored;
  ASSERT_TRUE(LoadSettings(stored));
  EXPECT_EQ(stored.findInSelection, 0);
}

TEST_F(Find, HighlightAllThenCloseKeepsOnlyTheReplacementMarks) {
  HWND d = Open("ab ab ab");
  Set(d, IDC_FIND_WHAT, L"ab");
  Set(d, IDC_REPLACE_WITH, L"ab");
  Press(d, IDC_FIND_NEXT);
  Press(d, IDC_REPLACE);  // marks 9 on the first
  Press(d, IDC_HIGHLIGHT_ALL);
  EXPECT_EQ(Status(d), u"3 matches found.");
  EXPECT_TRUE(Marked(8, 0));
  EXPECT_TRUE(Marked(8, 6));
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{6}, sptr_t{8}));
  Check(d, IDC_MATCH_CASE, true);
  Press(d, IDC_FIND_CLOSE);
  EXPECT_EQ(g_shell.findDialog, nullptr);
  EXPECT_FALSE(Marked(8, 0));
  EXPECT_FALSE(Marked(10, 0));
  EXPECT_TRUE(Marked(9, 0));
  EXPECT_EQ(g_settings.findMatchCase, 1);
  AppSettings stored;
  ASSERT_TRUE(LoadSettings(stored));
  EXPECT_EQ(stored.findMatchCase, 1);
}

TEST_F(Find, OnlyOneDialogAndItRemembersItsOptions) {
  g_settings.findWholeWord = 1;
  HWND d = Open("x");
  EXPECT_EQ(IsDlgButtonChecked(d, IDC_WHOLE_WORD), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(IsDlgButtonChecked(d, IDC_WRAP_AROUND), static_cast<UINT>(BST_CHECKED));
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_FIND_REPLACE, 0);
  EXPECT_EQ(g_shell.findDialog, d);
  // Escape closes it through the dialog keys of the message loop.
  MSG escape{GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
  ProcessMessage(escape);
  PumpPending();
  EXPECT_EQ(g_shell.findDialog, nullptr);
}

}  // namespace

namespace {
void Age(const std::u16string& path, int days) {
  HANDLE f = CreateFileW(W(path), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= static_cast<ULONGLONG>(days) * 86400ULL * 10'000'000ULL;
  FILETIME old{t.LowPart, t.HighPart};
  SetFileTime(f, nullptr, nullptr, &old);
  CloseHandle(f);
}

// Which names count is the purge rule's own test; here the files go or stay by their age.
TEST_F(Find, FirstOpeningPurgesSessionLogsOlderThanAWeek) {
  const std::u16string old = GetConfigFolder() + u"\\regex_20240101_000000_5.txt";
  const std::u16string recent = GetConfigFolder() + u"\\regex_20240102_000000_6.txt";
  ASSERT_TRUE(WriteBytes(old, "log") && WriteBytes(recent, "log"));
  Age(old, 8);
  Age(recent, 6);
  g_shell.findPurgeDone = false;
  Open("x");
  EXPECT_FALSE(Exists(old));
  EXPECT_TRUE(Exists(recent));
  DeleteFileW(W(recent));
}

// Loading a file swaps the document without change notices: the matches found in the old one
// must not be used for the new one.
TEST_F(Find, FindNextAfterLoadingAnotherFileSearchesTheNewText) {
  HWND d = Open("xx word xx word");
  Set(d, IDC_FIND_WHAT, L"word");
  Press(d, IDC_FIND_NEXT);
  ASSERT_EQ(Selection(), std::make_pair(sptr_t{3}, sptr_t{7}));
  std::u16string path = temp_.Write(u"other.txt", "a word here");
  ASSERT_TRUE(OpenDocumentPath(g_shell.mainWindow, path));
  Sci(SCI_GOTOPOS, 0);
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{2}, sptr_t{6}));
  EXPECT_EQ(Status(d), u"1 match found.");
  SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_NEW, 0);
  PumpPending();
  Sci(SCI_SETTEXT, 0, "no such thing");
  Sci(SCI_GOTOPOS, 0);
  Press(d, IDC_FIND_NEXT);
  EXPECT_EQ(Selection(), std::make_pair(sptr_t{0}, sptr_t{0}));
}

// A rectangular selection is longer than its start-to-end span (a line end follows each of its
// lines): it is read at its real size.
TEST_F(Find, ARectangularSelectionOfThreeLinesIsReadWhole) {
  HWND d = Open("abcd\r\nabcd\r\nabcd\r\n");
  Sci(SCI_SETRECTANGULARSELECTIONANCHOR, 1);
  Sci(SCI_SETRECTANGULARSELECTIONCARET, 15);  // line 3, column 3
  ASSERT_EQ(Sci(SCI_GETSELECTIONS), 3);
  EXPECT_EQ(GetSelectedText(), "bc\r\nbc\r\nbc\r\n");
  Set(d, IDC_FIND_WHAT, L"bc");
  Set(d, IDC_REPLACE_WITH, L"XY");
  Press(d, IDC_REPLACE);  // the selection is not one match: it finds the next instead
  EXPECT_EQ(GetDocumentText(), "abcd\r\nabcd\r\nabcd\r\n");
}
}  // namespace

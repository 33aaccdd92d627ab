// Regex Search with the real dialog, the real worker thread and the real control.
#include "common/win.h"  // before the other system headers

#include <Scintilla.h>

#include "app/mainwindow_win.h"
#include "common/messages.h"
#include "common/utf.h"
#include "document/document_win.h"
#include "harness.h"
#include "search/regex_testing.h"
#include "search/regex_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"

namespace {

class Regex : public MainWindowTest {
 protected:
  HWND Open(const std::string& text, int batch = 3000, int max = 10000, int format = 1, bool lineNumbers = true) {
    g_settings.regexBatchSize = static_cast<uint32_t>(batch);
    g_settings.regexMaxMatches = static_cast<uint32_t>(max);
    g_settings.regexOutputFormat = static_cast<uint32_t>(format);
    g_settings.regexIncludeLineNumbers = lineNumbers;
    g_settings.regexMatchCase = g_settings.regexWholeWord = g_settings.regexPreserveCase = 0;
    g_settings.regexColorResults = 1;
    Sci(SCI_SETTEXT, 0, text.c_str());
    Sci(SCI_EMPTYUNDOBUFFER);
    SendMessageW(g_shell.mainWindow, WM_COMMAND, CMD_REGEX_SEARCH, 0);
    PumpPending();
    return g_shell.regexDialog;
  }
  void TearDown() override {
    if (g_shell.regexDialog) SendMessageW(g_shell.regexDialog, WM_COMMAND, IDC_RX_CLOSE, 0);
    MainWindowTest::TearDown();
  }
  static void Set(HWND d, int id, const wchar_t* text) { SetDlgItemTextW(d, id, text); }
  static void Press(HWND d, int id) {
    SendMessageW(d, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
    PumpPending();
  }
  static std::u16string Text(HWND d, int id) {
    wchar_t buf[512] = {};
    GetDlgItemTextW(d, id, buf, 512);
    return U16(buf);
  }
  // Presses Find All / Find More and waits for the run to end.
  static void FindAll(HWND d) {
    Press(d, IDC_RX_FIND_ALL);
    ASSERT_TRUE(PumpUntil([] { return !RegexSearchRunning(); }, 20000));
    PumpPending();
  }
  static std::vector<std::u16string> Listed(HWND d) {
    std::vector<std::u16string> lines;
    LRESULT n = SendDlgItemMessageW(d, IDC_RX_RESULTS, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      wchar_t buf[1024] = {};
      SendDlgItemMessageW(d, IDC_RX_RESULTS, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf));
      lines.push_back(U16(buf));
    }
    return lines;
  }
};

TEST_F(Regex, MaxMatchesClosesTheSession) {
  HWND d = Open("x x x x x x x x", 3, 5);
  Set(d, IDC_RX_PATTERN, L"x");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Found 3 matches.");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Found 5 matches.");
  EXPECT_EQ(Text(d, IDC_RX_FIND_ALL), u"Find All");
  EXPECT_EQ(Listed(d).size(), 5u);
}

TEST_F(Regex, CancelThenFindMoreResumes) {
  HWND d = Open("a a a a a a a a a", 3);
  Set(d, IDC_RX_PATTERN, L"a");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_FIND_ALL), u"Find More");
  SendMessageW(d, WM_COMMAND, IDC_RX_FIND_ALL, 0);
  SendMessageW(d, WM_COMMAND, IDC_RX_CANCEL, 0);  // before the run can search
  ASSERT_TRUE(PumpUntil([] { return !RegexSearchRunning(); }, 20000));
  PumpPending();
  EXPECT_EQ(Text(d, IDC_RX_FIND_ALL), u"Find More");
  FindAll(d);
  EXPECT_EQ(Listed(d).size(), 6u);
  // Editing the pattern starts over.
  Set(d, IDC_RX_PATTERN, L"a ");
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_RX_PATTERN, CBN_EDITCHANGE), 0);
  EXPECT_EQ(Text(d, IDC_RX_FIND_ALL), u"Find All");
}

TEST_F(Regex, InvalidPatternAndEmptyPattern) {
  HWND d = Open("text");
  Press(d, IDC_RX_FIND_NEXT);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Please enter a pattern.");
  Set(d, IDC_RX_PATTERN, L"(unclosed");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Invalid regex pattern.");
  Press(d, IDC_RX_FIND_NEXT);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"No match found.");
}

TEST_F(Regex, FindNextWrapsAndFindPrevSkipsTheMatchUnderTheAnchor) {
  HWND d = Open("cat dog cat dog");
  Set(d, IDC_RX_PATTERN, L"dog");
  Sci(SCI_GOTOPOS, 15);
  Press(d, IDC_RX_FIND_NEXT);
  EXPECT_EQ(Sci(SCI_GETSELECTIONSTART), 4);  // wrapped to the first
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Found: \"dog\" at position 4");
  Sci(SCI_SETSEL, 13, 13);  // inside the second dog
  Press(d, IDC_RX_FIND_PREV);
  EXPECT_EQ(Sci(SCI_GETSELECTIONSTART), 4);
}

TEST_F(Regex, ReplaceTheSelectionOrTheFirstMatchAfterIt) {
  HWND d = Open("width=100 height=200");
  Set(d, IDC_RX_PATTERN, L"(\\w+)=(\\w+)");
  Set(d, IDC_RX_REPLACE, L"$2 is $1");
  Sci(SCI_SETSEL, 0, 9);
  Press(d, IDC_RX_REPLACE_ONE);
  EXPECT_EQ(GetDocumentText(), "100 is width height=200");
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Replaced: \"width=100\" \u2192 \"100 is width\"");
  Sci(SCI_SETSEL, 13, 14);  // does not match: the first match after the selection start
  Press(d, IDC_RX_REPLACE_ONE);
  EXPECT_EQ(GetDocumentText(), "100 is width 200 is height");
  EXPECT_TRUE(g_doc.modified);
  Sci(SCI_SETSEL, 0, 0);
  Press(d, IDC_RX_REPLACE_ONE);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"No selection. Use Find/Next first.");
}

TEST_F(Regex, ReplaceAllIsOneUndoStep) {
  HWND d = Open("Cat cat CAT");
  Set(d, IDC_RX_PATTERN, L"cat");
  Set(d, IDC_RX_REPLACE, L"dog");
  CheckDlgButton(d, IDC_RX_PRESERVE_CASE, BST_CHECKED);
  Press(d, IDC_RX_REPLACE_ALL);
  EXPECT_EQ(GetDocumentText(), "Dog dog DOG");
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Replaced 3 occurrence(s).");
  EXPECT_EQ(Sci(SCI_GETCURRENTPOS), 0);
  Sci(SCI_UNDO);
  EXPECT_EQ(GetDocumentText(), "Cat cat CAT");
  Set(d, IDC_RX_PATTERN, L"zzz");
  Press(d, IDC_RX_REPLACE_ALL);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"No matches found to replace.");
}

// The list takes the stored output format (each format's lines are the list's own test).
TEST_F(Regex, TheListFollowsTheStoredFormat) {
  HWND d = Open("first line\nsecond\nthe abc line\n", 3000, 10000, 2, false);
  Set(d, IDC_RX_PATTERN, L"abc");
  FindAll(d);
  EXPECT_EQ(Listed(d), std::vector<std::u16string>{u"the abc line"});
}

TEST_F(Regex, DotStarOverAVeryLongLineGivesAResult) {
  HWND d = Open(std::string(300000, 'q'));
  Set(d, IDC_RX_PATTERN, L".*");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS).rfind(u"Search complete. Found ", 0), 0u);
  ASSERT_GE(Listed(d).size(), 1u);
}

TEST_F(Regex, ClosingStoresHistoriesAndOptions) {
  HWND d = Open("x");
  Set(d, IDC_RX_PATTERN, L"p+");
  Set(d, IDC_RX_REPLACE, L"r");
  Set(d, IDC_RX_BATCH_SIZE, L"77");
  Press(d, IDC_RX_CLOSE);
  EXPECT_EQ(g_shell.regexDialog, nullptr);
  EXPECT_EQ(g_settings.regexPatternHistory[0].Get(), u"p+");
  EXPECT_EQ(g_settings.regexReplaceHistory[0].Get(), u"r");
  EXPECT_EQ(g_settings.regexBatchSize, 77u);
}

}  // namespace

namespace {
TEST_F(Regex, ADialogTallerThanItsOwnerStaysOnScreen) {
  SetWindowPos(g_shell.mainWindow, nullptr, 0, 0, 700, 300, SWP_NOZORDER | SWP_NOACTIVATE);
  HWND d = Open("x");
  RECT r;
  GetWindowRect(d, &r);
  MONITORINFO mi{};
  mi.cbSize = sizeof mi;
  GetMonitorInfoW(MonitorFromWindow(d, MONITOR_DEFAULTTONEAREST), &mi);
  EXPECT_GE(r.top, mi.rcWork.top);
  EXPECT_GE(r.left, mi.rcWork.left);
}
}  // namespace

namespace {
TEST_F(Regex, ApplyStoresTheOptions) {
  HWND d = Open("ab ab");
  CheckDlgButton(d, IDC_RX_COLOR_RESULTS, BST_UNCHECKED);
  Set(d, IDC_RX_MAX_MATCHES, L"42");
  Press(d, IDC_RX_APPLY);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Settings saved.");
  AppSettings stored;
  ASSERT_TRUE(LoadSettings(stored));
  EXPECT_EQ(stored.regexMaxMatches, 42u);
  EXPECT_EQ(stored.regexColorResults, 0);
}
}  // namespace

namespace {
TEST_F(Regex, ARunawayPatternIsReportedAsTooComplex) {
  HWND d = Open(std::string(5000, 'a') + "!");
  Set(d, IDC_RX_PATTERN, L"^(a|aa)*$");
  Press(d, IDC_RX_FIND_NEXT);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Pattern too complex.");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Pattern too complex.");
  Press(d, IDC_RX_REPLACE_ALL);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Pattern too complex.");
}
}  // namespace

namespace {
// The newest session log of the configuration folder.
std::string NewestRegexLog() {
  return ReadBytes(NewestFile(GetConfigFolder(), u"regex_*.txt"));
}

// Batches continued with Find More are logged with their numbers, listed, and all highlighted
// again by Apply, from the results the session keeps.
TEST_F(Regex, BatchesOfASessionAreLoggedListedAndHighlightedAgain) {
  HWND d = Open("a1 b2 c3\nd4 e5\nf6 \xC5\xA1\xC5\xA1 g7", 3);
  ASSERT_NE(d, nullptr);
  Set(d, IDC_RX_PATTERN, L"[a-z]\\d");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Found 3 matches.");
  EXPECT_EQ(Text(d, IDC_RX_FIND_ALL), u"Find More");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_RX_OPEN_RESULTS)));
  EXPECT_NE(Sci(SCI_INDICATORVALUEAT, 11, 0), 0);  // highlighted
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Found 6 matches.");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Search complete. Found 7 matches.");
  EXPECT_EQ(Text(d, IDC_RX_FIND_ALL), u"Find All");
  EXPECT_NE(NewestRegexLog().find("[1] Ln 1  Pos 0-2: a1\n[1] Ln 1  Pos 3-5: b2\n[1] Ln 1  Pos 6-8: c3\n"
                                  "[2] Ln 2  Pos 9-11: d4\n[2] Ln 2  Pos 12-14: e5\n[2] Ln 3  Pos 15-17: f6\n"
                                  "[3] Ln 3  Pos 21-23: g7\n\n[FIND ALL] "),
            std::string::npos)
      << NewestRegexLog();
  auto lines = Listed(d);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0], u"Ln 1  Col 0  a1");
  EXPECT_EQ(lines[5], u"Ln 3  Col 15  f6");
  EXPECT_EQ(lines[6], u"Ln 3  Col 21  g7");
  CheckDlgButton(d, IDC_RX_COLOR_RESULTS, BST_UNCHECKED);
  Press(d, IDC_RX_APPLY);
  EXPECT_EQ(Sci(SCI_INDICATORVALUEAT, 11, 0), 0);
  CheckDlgButton(d, IDC_RX_COLOR_RESULTS, BST_CHECKED);
  Press(d, IDC_RX_APPLY);
  for (sptr_t byte : {0, 3, 6, 9, 12, 15, 23, 24}) EXPECT_NE(Sci(SCI_INDICATORVALUEAT, 11, byte), 0) << byte;
  EXPECT_EQ(Sci(SCI_INDICATORVALUEAT, 11, 22), 0);  // the space after the two-byte letters
}
}  // namespace

namespace {
// A batch larger than the blocks the search hands over goes through the worker's second thread:
// every match is still logged in order, listed and highlighted at its byte position.
TEST_F(Regex, ALargeBatchIsLoggedListedAndHighlightedWhole) {
  constexpr int kMatches = 40000;
  std::string text;
  for (int i = 0; i < kMatches; ++i) text += "\xC5\xA1 ab\n";  // one UTF-16 unit, two bytes, before each match
  HWND d = Open(text, kMatches + 1, kMatches + 1);
  Set(d, IDC_RX_PATTERN, L"ab");
  FindAll(d);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Search complete. Found 40000 matches.");
  EXPECT_EQ(Listed(d).size(), static_cast<size_t>(kMatches));
  const std::string log = NewestRegexLog();
  std::string expected;
  for (int i = 0; i < kMatches; ++i)
    expected += "[1] Ln " + std::to_string(i + 1) + "  Pos " + std::to_string(5 * i + 2) + "-" +
                std::to_string(5 * i + 4) + ": ab\n";
  EXPECT_NE(log.find(expected + "\n[FIND ALL] "), std::string::npos);
  for (int i : {0, 16383, 16384, kMatches - 1}) {
    EXPECT_NE(Sci(SCI_INDICATORVALUEAT, 11, 6 * i + 3), 0) << i;
    EXPECT_EQ(Sci(SCI_INDICATORVALUEAT, 11, 6 * i + 2), 0) << i;  // the space before it
  }
}

// A document whose search takes a while: every start in a word tries every length of a part
// that is repeated, and then a digit that is not there.
std::string SlowText() {
  std::string text;
  text.reserve(8'000'000);
  while (text.size() < 8'000'000) text += std::string(60, 'w') + "\n";
  return text;
}
// A search of SlowText runs for seconds unless cancelled; small search windows make a cancel
// take effect within milliseconds.
struct SmallSearchWindows {
  size_t before = SetSearchWindowForTesting(1u << 14);
  ~SmallSearchWindows() { SetSearchWindowForTesting(before); }
};
// Presses Find All without answering any message: the run cannot have been taken as finished.
void StartFindAll(HWND d) {
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_RX_FIND_ALL, BN_CLICKED), 0);
}
constexpr const wchar_t* kSlowPattern = L"(\\w+)\\1\\d";

// A second Find All while a run goes on stops that run first; the stopped run's messages are
// then ignored, so one run's results are listed, once, and the buttons follow the new run.
// Until this thread answers, each worker waits with its first batch: the runs overlap surely.
TEST_F(Regex, TwoFindAllPressesInARow) {
  HWND d = Open("a1 b2\nc3");
  Set(d, IDC_RX_PATTERN, L"[a-z]\\d");
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_RX_FIND_ALL, BN_CLICKED), 0);
  ASSERT_TRUE(RegexSearchRunning());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_RX_FIND_ALL)));  // no second press while it runs
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_RX_CANCEL)));
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_RX_FIND_ALL, BN_CLICKED), 0);  // as a keyboard shortcut could
  ASSERT_TRUE(RegexSearchRunning());
  // The first run has ended and its done message waits: taken now, it must change nothing.
  MSG stale;
  ASSERT_TRUE(PeekMessageW(&stale, d, WMU_REGEX_DONE, WMU_REGEX_DONE, PM_REMOVE));
  DispatchMessageW(&stale);
  EXPECT_TRUE(RegexSearchRunning());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_RX_FIND_ALL)));
  ASSERT_TRUE(PumpUntil([] { return !RegexSearchRunning(); }, 20000));
  PumpPending();
  EXPECT_EQ(Listed(d), (std::vector<std::u16string>{u"Ln 1  Col 0  a1", u"Ln 1  Col 3  b2", u"Ln 2  Col 6  c3"}));
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Search complete. Found 3 matches.");
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(d, IDC_RX_FIND_ALL)));
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(d, IDC_RX_CANCEL)));
}

// The search runs without the session's lock: Apply answers at once while a batch is searched.
TEST_F(Regex, ApplyDuringALongSearchStaysResponsive) {
  SmallSearchWindows windows;
  HWND d = Open(SlowText(), 3000, 10000);
  Set(d, IDC_RX_PATTERN, kSlowPattern);
  StartFindAll(d);
  ASSERT_TRUE(RegexSearchRunning());
  SendMessageW(d, WM_COMMAND, MAKEWPARAM(IDC_RX_APPLY, BN_CLICKED), 0);  // no pumping: the run goes on
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Settings saved.");
  // It did not wait for the batch: the run has not finished yet.
  MSG done;
  EXPECT_FALSE(PeekMessageW(&done, d, WMU_REGEX_DONE, WMU_REGEX_DONE, PM_NOREMOVE));
  Press(d, IDC_RX_CANCEL);
  ASSERT_TRUE(PumpUntil([] { return !RegexSearchRunning(); }, 60000));
}

// Closing the main window closes the dialog the way its Close button does: the worker ends,
// the histories are kept and the log is closed.
TEST_F(Regex, ClosingTheMainWindowWithASearchRunningEndsItCleanly) {
  SmallSearchWindows windows;
  HWND d = Open(SlowText(), 3000, 10000);
  for (auto& slot : g_settings.regexPatternHistory) slot.Set(u"");
  Set(d, IDC_RX_PATTERN, kSlowPattern);
  StartFindAll(d);
  ASSERT_TRUE(RegexSearchRunning());
  g_doc.modified = false;
  SendMessageW(g_shell.mainWindow, WM_CLOSE, 0, 0);
  EXPECT_EQ(g_shell.mainWindow, nullptr);
  EXPECT_EQ(g_shell.regexDialog, nullptr);
  EXPECT_FALSE(RegexSearchRunning());
  EXPECT_EQ(g_settings.regexPatternHistory[0].Get(), u"(\\w+)\\1\\d");
  const std::u16string log = NewestFile(GetConfigFolder(), u"regex_*.txt");
  ASSERT_FALSE(log.empty());
  HANDLE alone = CreateFileW(W(log), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(alone, INVALID_HANDLE_VALUE) << "the log is still open";
  if (alone != INVALID_HANDLE_VALUE) CloseHandle(alone);
  PumpPending();
}

// The status line shows a matched "&" as itself, not as the underline of the next letter.
TEST_F(Regex, TheStatusLineShowsAmpersands) {
  HWND d = Open("a&b");
  EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(d, IDC_RX_STATUS), GWL_STYLE) & SS_NOPREFIX);
}

// Replace with a rectangular selection of three lines reads the selection at its real size.
TEST_F(Regex, ReplaceWithARectangularSelection) {
  HWND d = Open("abcd\r\nabcd\r\nabcd\r\n");
  Sci(SCI_SETRECTANGULARSELECTIONANCHOR, 1);
  Sci(SCI_SETRECTANGULARSELECTIONCARET, 15);
  ASSERT_EQ(Sci(SCI_GETSELECTIONS), 3);
  Set(d, IDC_RX_PATTERN, L"zz");
  Set(d, IDC_RX_REPLACE, L"y");
  Press(d, IDC_RX_REPLACE_ONE);
  EXPECT_EQ(Text(d, IDC_RX_STATUS), u"Selection does not match pattern.");
  EXPECT_EQ(GetDocumentText(), "abcd\r\nabcd\r\nabcd\r\n");
}
}  // namespace

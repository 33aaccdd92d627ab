// Shared helpers for tests that drive the real main window and Scintilla in process.
#pragma once
#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "common/win.h"
#include "files_win.h"

struct ShownMessage {
  int kind;
  std::u16string title;
  std::u16string text;
};
// Messages shown through ShowMessageBox since the last ClearMessages; the answer given
// is NextMessageAnswer (ResultOk by default).
extern std::vector<ShownMessage> g_shownMessages;
extern int g_nextMessageAnswer;
// Answers for the next messages, taken in order before NextMessageAnswer.
extern std::deque<int> g_messageAnswers;
void ClearMessages();
// Exactly one message was shown, with this title and text.
testing::AssertionResult OneMessage(const std::u16string& title, const std::u16string& text);

// The answer of the open and save dialogs during a MainWindowTest: a path, empty for cancelled.
extern std::u16string g_fileDialogAnswer;

// An open that denies write access the way a read-only file does on Windows (Wine
// running as root would grant it); reading is passed through.
HANDLE WINAPI DenyWriting(LPCWSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD disposition,
                          DWORD flags, HANDLE templateFile);
// The recording answer installed as the message-box hook for the whole run.
int RecordMessageForTests(HWND owner, int kind, const std::u16string& title, const std::u16string& text);

// Runs the message loop until `done` returns true or the time-out passes.
template <typename Done>
bool PumpUntil(Done done, DWORD timeoutMs = 5000) {
  DWORD start = GetTickCount();
  while (!done()) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) continue;
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (done()) return true;
    if (GetTickCount() - start > timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
  return true;
}
inline void PumpPending() {
  PumpUntil([] { return false; }, 0);
}

// A progress window's Cancel button pressed and released, through the window's queue: set as
// the export hook that hears of the window, it cancels a job before its worker can start.
void CancelAtOnce(HWND progress);

// A scratch folder of the test's own, removed with its files at the end.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::u16string& Folder() const { return dir_; }
  std::u16string Path(const std::u16string& name) const { return dir_ + u"\\" + name; }
  std::u16string Write(const std::u16string& name, const std::string& bytes) const;

 private:
  std::u16string dir_;
};

// The main window's title.
std::u16string MainTitle();
bool Exists(const std::u16string& path);
// Whether a writer of another program is refused: the document's lock.
bool LockedAgainstWriters(const std::u16string& path);

// Keeps a copy of an output for the checks with outside readers that run after the tests
// (tidy for *.html; unrtf for *.rtf, compared with the *.rtf.txt beside it).
void KeepForChecks(const std::u16string& name, const std::string& bytes);
void ClearKeptOutputs();

// Creates the main window (hidden) with the real edit control; destroys it at the end.
class MainWindowTest : public testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  std::string EditorText();
  TempDir temp_;
};

// A small driver that starts Norvo.exe and acts on it from outside, as a user's tools would:
// window messages, cross-process reads of the editor, and the debugger output.
#pragma once
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "common/win.h"

#include <gtest/gtest.h>
#include "files_win.h"
#include "settings/settings.h"

// Folder of the built program (..\bin beside the test folder) and the program itself.
std::u16string ProgramFolder();
std::u16string NorvoExe();
// %APPDATA%\Norvo\norvo.cfg as the program sees it.
std::u16string ConfigFile();

std::u16string TempFolder();
// %APPDATA%\Norvo\recovery, where the program keeps copies of unsaved text.
std::u16string RecoveryFolder();
// Names of the files of the recovery folder that match a wildcard pattern.
std::vector<std::u16string> RecoveryFiles(const std::u16string& pattern);

// A started program. With `traced`, it runs under a debugger thread that collects
// its debugger output lines.
class Program {
 public:
  Program(const std::u16string& exe, const std::vector<std::u16string>& args, bool traced = false);
  ~Program();
  bool started() const { return process_ != nullptr; }
  DWORD pid() const { return pid_; }

  // The top-level window of the given class (or any class when empty) and, if given, title.
  HWND WaitForWindow(const std::u16string& cls, const std::u16string& title = u"", DWORD timeoutMs = 15000);
  // Waits for the process to end; returns its exit code or STILL_ACTIVE on time-out.
  DWORD WaitForExit(DWORD timeoutMs = 15000);
  void Kill();

  std::vector<std::string> TraceLines();
  bool WaitForTrace(const std::string& line, DWORD timeoutMs = 15000);

 private:
  void DebugLoop(std::u16string commandLine);
  HANDLE process_ = nullptr;
  std::atomic<DWORD> pid_{0};  // set by the debugger thread after process_
  std::thread debugger_;
  std::mutex mutex_;
  std::vector<std::string> traces_;
  std::string partial_;
};

std::u16string WindowText(HWND window);
HWND ChildById(HWND parent, int id);
// Text of a Scintilla control in another process (UTF-8).
std::string EditorText(HWND editor);
// Replaces the text of a Scintilla control in another process, as typing would (undoable, modified).
void SetEditorText(HWND editor, const std::string& text);
// Polls `condition` until it holds or the time-out passes.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs = 15000);

// The file-name field of a system file dialog (the first visible edit control in it).
HWND FileNameField(HWND dialog);
// Types a path into a system file dialog and presses OK.
void ChooseInFileDialog(HWND dialog, const std::u16string& path);
// A top-level window of the given class whose title starts with `prefix`, in any process.
HWND FindWindowByTitlePrefix(const std::u16string& cls, const std::u16string& prefix);
// The default settings with the first run over.
AppSettings QuietDefaults();
// Writes the settings as the program's settings file and removes the recovery copies earlier
// tests may have left (each would be a question at start); StoredSettings reads the file back.
void WriteSettings(const AppSettings& s);
AppSettings StoredSettings();
// Writes the default settings (first run over) as the program's settings file.
void WriteDefaultSettings();
// Closes the main window and expects the program to end with code 0.
void CloseAndExpectExitZero(Program& program, HWND main);
// A scratch folder of the given name under the test folder (created when missing).
std::u16string ScratchFolder(const std::u16string& name);

// A test with default settings and a scratch folder of its own for the files it opens.
class ScratchTest : public testing::Test {
 protected:
  explicit ScratchTest(const char16_t* folder) : folder_(folder) {}
  void SetUp() override {
    dir_ = ScratchFolder(folder_);
    WriteDefaultSettings();
  }
  // Writes a file of the scratch folder and returns its path.
  std::u16string File(const std::u16string& name, const std::string& bytes) {
    std::u16string path = dir_ + u"\\" + name;
    EXPECT_TRUE(WriteBytes(path, bytes));
    return path;
  }
  std::u16string dir_;

 private:
  const char16_t* folder_;
};

#include "common/win.h"  // before the other system headers

#include "driver.h"

#include <shlobj.h>

#include <Scintilla.h>

#include <gtest/gtest.h>

#include "common/utf.h"
#include "settings/settings.h"

std::u16string ProgramFolder() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::u16string path = U16(self);
  path.resize(path.find_last_of(u"\\/"));       // tests folder
  path.resize(path.find_last_of(u"\\/"));       // build folder
  return path + u"\\bin";
}

std::u16string NorvoExe() { return ProgramFolder() + u"\\Norvo.exe"; }

std::u16string ConfigFile() {
  wchar_t appdata[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appdata);
  return U16(appdata) + u"\\Norvo\\norvo.cfg";
}

std::u16string RecoveryFolder() {
  wchar_t appdata[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appdata);
  return U16(appdata) + u"\\Norvo\\recovery";
}

std::vector<std::u16string> RecoveryFiles(const std::u16string& pattern) {
  std::vector<std::u16string> names;
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW(W(RecoveryFolder() + u"\\" + pattern), &fd);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(U16(fd.cFileName));
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  return names;
}

std::u16string TempFolder() {
  wchar_t base[MAX_PATH];
  GetTempPathW(MAX_PATH, base);
  std::u16string dir = U16(base) + u"norvo_e2e_" + Utf8ToUtf16(std::to_string(GetCurrentProcessId()));
  CreateDirectoryW(W(dir), nullptr);
  return dir;
}

namespace {
std::u16string Quote(const std::u16string& s) {
  std::u16string quoted;
  quoted.reserve(s.size() + 2);
  quoted.push_back(u'"');
  quoted.append(s);
  quoted.push_back(u'"');
  return quoted;
}
}  // namespace

Program::Program(const std::u16string& exe, const std::vector<std::u16string>& args, bool traced) {
  std::u16string commandLine = Quote(exe);
  for (const auto& a : args) {
    commandLine.push_back(u' ');
    commandLine.append(Quote(a));
  }
  if (traced) {
    // A debugged process must be started by the thread that waits for its events.
    debugger_ = std::thread([this, commandLine] { DebugLoop(commandLine); });
    WaitUntil([this] { return pid_ != 0; }, 10000);
    if (pid_ == static_cast<DWORD>(-1)) pid_ = 0;
    return;
  }
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::u16string mutableLine = commandLine;
  if (CreateProcessW(W(exe), W(mutableLine.data()), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    CloseHandle(pi.hThread);
    process_ = pi.hProcess;
    pid_ = pi.dwProcessId;
  }
}

void Program::DebugLoop(std::u16string commandLine) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::u16string exe = commandLine.substr(1, commandLine.find(u'"', 1) - 1);
  if (!CreateProcessW(W(exe), W(commandLine.data()), nullptr, nullptr, FALSE, DEBUG_ONLY_THIS_PROCESS, nullptr,
                      nullptr, &si, &pi)) {
    pid_ = static_cast<DWORD>(-1);
    return;
  }
  CloseHandle(pi.hThread);
  HANDLE process = nullptr;
  DuplicateHandle(GetCurrentProcess(), pi.hProcess, GetCurrentProcess(), &process, 0, FALSE, DUPLICATE_SAME_ACCESS);
  process_ = process;
  pid_ = pi.dwProcessId;
  for (;;) {
    DEBUG_EVENT ev{};
    if (!WaitForDebugEvent(&ev, 30000)) break;
    DWORD status = DBG_CONTINUE;
    switch (ev.dwDebugEventCode) {
      case OUTPUT_DEBUG_STRING_EVENT: {
        const auto& info = ev.u.DebugString;
        size_t units = info.nDebugStringLength;
        std::string text;
        if (info.fUnicode) {
          std::u16string wide(units, u'\0');
          SIZE_T got = 0;
          ReadProcessMemory(pi.hProcess, info.lpDebugStringData, wide.data(), units * 2, &got);
          wide.resize(got / 2);
          while (!wide.empty() && wide.back() == 0) wide.pop_back();
          text = Utf16ToUtf8(wide);
        } else {
          text.resize(units);
          SIZE_T got = 0;
          ReadProcessMemory(pi.hProcess, info.lpDebugStringData, text.data(), units, &got);
          text.resize(got);
          while (!text.empty() && text.back() == 0) text.pop_back();
        }
        std::lock_guard<std::mutex> lock(mutex_);
        partial_ += text;
        size_t nl;
        while ((nl = partial_.find('\n')) != std::string::npos) {
          traces_.push_back(partial_.substr(0, nl));
          partial_.erase(0, nl + 1);
        }
        break;
      }
      case EXCEPTION_DEBUG_EVENT:
        if (ev.u.Exception.ExceptionRecord.ExceptionCode != EXCEPTION_BREAKPOINT) status = DBG_EXCEPTION_NOT_HANDLED;
        break;
      case CREATE_PROCESS_DEBUG_EVENT:
        if (ev.u.CreateProcessInfo.hFile) CloseHandle(ev.u.CreateProcessInfo.hFile);
        break;
      case LOAD_DLL_DEBUG_EVENT:
        if (ev.u.LoadDll.hFile) CloseHandle(ev.u.LoadDll.hFile);
        break;
    }
    ContinueDebugEvent(ev.dwProcessId, ev.dwThreadId, status);
    if (ev.dwDebugEventCode == EXIT_PROCESS_DEBUG_EVENT) break;
  }
  CloseHandle(pi.hProcess);
}

Program::~Program() {
  if (process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) Kill();
  if (debugger_.joinable()) debugger_.join();
  if (process_) CloseHandle(process_);
}

void Program::Kill() {
  if (process_) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 10000);
  }
}

DWORD Program::WaitForExit(DWORD timeoutMs) {
  if (!process_) return STILL_ACTIVE;
  if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return STILL_ACTIVE;
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process_, &code);
  return code;
}

namespace {
struct FindState {
  DWORD pid;
  std::u16string cls;
  std::u16string title;
  HWND found;
};
BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<FindState*>(lParam);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (pid != s->pid) return TRUE;
  wchar_t cls[128] = {};
  GetClassNameW(hwnd, cls, 128);
  if (!s->cls.empty() && s->cls != U(cls)) return TRUE;
  if (!s->title.empty() && WindowText(hwnd) != s->title) return TRUE;
  if (!IsWindowVisible(hwnd)) return TRUE;
  s->found = hwnd;
  return FALSE;
}
}  // namespace

HWND Program::WaitForWindow(const std::u16string& cls, const std::u16string& title, DWORD timeoutMs) {
  FindState state{pid_, cls, title, nullptr};
  WaitUntil(
      [&] {
        state.found = nullptr;
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&state));
        return state.found != nullptr;
      },
      timeoutMs);
  return state.found;
}

std::vector<std::string> Program::TraceLines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return traces_;
}

bool Program::WaitForTrace(const std::string& line, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        for (const auto& l : TraceLines())
          if (l == line) return true;
        return false;
      },
      timeoutMs);
}

std::u16string WindowText(HWND window) {
  wchar_t buf[1024] = {};
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 5000, &result);
  return U16(buf);
}

HWND ChildById(HWND parent, int id) { return GetDlgItem(parent, id); }

std::string EditorText(HWND editor) {
  DWORD pid = 0;
  GetWindowThreadProcessId(editor, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return "<cannot open process>";
  size_t length = static_cast<size_t>(SendMessageW(editor, SCI_GETLENGTH, 0, 0));
  void* remote = VirtualAllocEx(process, nullptr, length + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  std::string text(length + 1, '\0');
  if (remote) {
    SendMessageW(editor, SCI_GETTEXT, length + 1, reinterpret_cast<LPARAM>(remote));
    SIZE_T got = 0;
    ReadProcessMemory(process, remote, text.data(), length + 1, &got);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  }
  CloseHandle(process);
  text.resize(length);
  return text;
}

void SetEditorText(HWND editor, const std::string& text) {
  DWORD pid = 0;
  GetWindowThreadProcessId(editor, &pid);
  HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
  if (!process) return;
  void* remote = VirtualAllocEx(process, nullptr, text.size() + 1, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (remote && WriteProcessMemory(process, remote, text.c_str(), text.size() + 1, nullptr)) {
    SendMessageW(editor, SCI_SELECTALL, 0, 0);
    SendMessageW(editor, SCI_REPLACESEL, 0, reinterpret_cast<LPARAM>(remote));
  }
  if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  CloseHandle(process);
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Sleep(25);
  }
  return true;
}

// The file-name field of a system file dialog: the first edit control found in it.
HWND FileNameField(HWND dialog) {
  HWND found = nullptr;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM out) -> BOOL {
        wchar_t cls[32] = {};
        GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, L"Edit") != 0 || !IsWindowVisible(child)) return TRUE;
        *reinterpret_cast<HWND*>(out) = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found;
}

void ChooseInFileDialog(HWND dialog, const std::u16string& path) {
  HWND field = FileNameField(dialog);
  ASSERT_NE(field, nullptr);
  SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(W(path)));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
}

HWND FindWindowByTitlePrefix(const std::u16string& cls, const std::u16string& prefix) {
  struct Search {
    const std::u16string* cls;
    const std::u16string* prefix;
    HWND found;
  } search{&cls, &prefix, nullptr};
  EnumWindows(
      [](HWND window, LPARAM param) -> BOOL {
        auto* s = reinterpret_cast<Search*>(param);
        wchar_t name[64] = {};
        GetClassNameW(window, name, 64);
        if (!s->cls->empty() && U16(name) != *s->cls) return TRUE;
        if (WindowText(window).compare(0, s->prefix->size(), *s->prefix) != 0) return TRUE;
        s->found = window;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

AppSettings QuietDefaults() {
  AppSettings s;
  ResetSettings(s);
  s.firstRun = 0;
  return s;
}

void WriteSettings(const AppSettings& s) {
  std::vector<unsigned char> image = BuildSettingsFile(s);
  std::u16string config = ConfigFile();
  // A fresh Wine prefix has no settings folder yet.
  CreateDirectoryW(W(config.substr(0, config.find_last_of(u'\\'))), nullptr);
  ASSERT_TRUE(WriteBytes(config, std::string(image.begin(), image.end())));
  for (const std::u16string& name : RecoveryFiles(u"*")) DeleteFileW(W(RecoveryFolder() + u"\\" + name));
}

AppSettings StoredSettings() {
  std::string bytes = ReadBytes(ConfigFile());
  AppSettings s;
  EXPECT_TRUE(ParseSettingsFile(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), s));
  return s;
}

void WriteDefaultSettings() { WriteSettings(QuietDefaults()); }

void CloseAndExpectExitZero(Program& program, HWND main) {
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.WaitForExit(), 0u);
}

std::u16string ScratchFolder(const std::u16string& name) {
  std::u16string dir = TempFolder() + u"\\" + name;
  CreateDirectoryW(W(dir), nullptr);
  return dir;
}

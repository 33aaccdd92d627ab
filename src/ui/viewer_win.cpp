#include "ui/viewer_win.h"

#include <shellapi.h>

#include "common/file_win.h"
#include "common/visual_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"
#include "ui/ui_hooks_win.h"

namespace {
constexpr uint32_t RgbHex(uint32_t rrggbb) {
  return ((rrggbb >> 16) & 0xFF) | (rrggbb & 0xFF00) | ((rrggbb & 0xFF) << 16);
}
constexpr uint32_t kPaper = RgbHex(0xF5EEDC);
constexpr uint32_t kInk = RgbHex(0x2D1E0F);
constexpr uint32_t kCaret = RgbHex(0x503214);
constexpr uint32_t kSelectionBack = RgbHex(0xC8B48C);
constexpr uint32_t kSelectionText = RgbHex(0x140A00);
}  // namespace

void ApplyViewerLook(HWND viewerWindow) {
  Sci(SCI_STYLESETFONT, STYLE_DEFAULT, "Georgia");
  Sci(SCI_STYLESETSIZE, STYLE_DEFAULT, 12);
  Sci(SCI_STYLESETBOLD, STYLE_DEFAULT, 0);
  Sci(SCI_STYLESETITALIC, STYLE_DEFAULT, 0);
  Sci(SCI_STYLESETBACK, STYLE_DEFAULT, Colour(kPaper));
  Sci(SCI_STYLESETFORE, STYLE_DEFAULT, Colour(kInk));
  Sci(SCI_STYLECLEARALL);
  Sci(SCI_SETFOLDMARGINCOLOUR, 1, Colour(kPaper));
  Sci(SCI_SETFOLDMARGINHICOLOUR, 1, Colour(kPaper));
  Sci(SCI_SETCARETFORE, Colour(kCaret));
  Sci(SCI_SETCARETWIDTH, 1);
  Sci(SCI_SETCARETPERIOD, 0);
  Sci(SCI_SETSELBACK, 1, Colour(kSelectionBack));
  Sci(SCI_SETSELFORE, 1, Colour(kSelectionText));
  Sci(SCI_SETWRAPMODE, SC_WRAP_WORD);
  Sci(SCI_SETHSCROLLBAR, 0);
  Sci(SCI_SETMARGINLEFT, 0, 28);
  Sci(SCI_SETMARGINRIGHT, 0, 28);
  SetTitleBarDark(viewerWindow, false);
  SetExplorerStyle(g_shell.editor, false);
}

namespace {

void StartViewer(HWND owner, const std::u16string& path, int width, int height) {
  if (path.empty()) return;
  if (g_uiHooks.viewerLaunch) {
    g_uiHooks.viewerLaunch(path, width, height);
    return;
  }
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring commandLine = L"\"" + std::wstring(exe) + L"\" --viewer \"" + std::wstring(W(path)) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  si.dwFlags = STARTF_USEPOSITION | STARTF_USESIZE;
  RECT ownerRect{};
  if (owner) GetWindowRect(owner, &ownerRect);
  si.dwX = static_cast<DWORD>(ownerRect.left + 40);
  si.dwY = static_cast<DWORD>(ownerRect.top + 40);
  si.dwXSize = static_cast<DWORD>(width);
  si.dwYSize = static_cast<DWORD>(height);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return;
  UniqueHandle thread(pi.hThread), process(pi.hProcess);
  UniqueHandle job(CreateJobObjectW(nullptr, nullptr));
  if (job) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    // Replacing the job ends the previous viewer; closing an empty job ends nothing, and the
    // viewer then runs unbound.
    if (SetInformationJobObject(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof(limits)) &&
        AssignProcessToJobObject(job.get(), process.get()))
      g_shell.viewerJob = std::move(job);
  }
}
}  // namespace

void LaunchViewerProcess(HWND owner, const std::u16string& path) { StartViewer(owner, path, 740, 860); }

void OpenDocumentInViewer(HWND owner) {
  std::u16string path = MakeTempPdfPath();
  if (path.size() < 4) return;
  path.replace(path.size() - 4, 4, u".txt");
  std::string text = GetDocumentText();
  if (WriteWholeFile(path, text.data(), text.size()) == WriteResult::Written) StartViewer(owner, path, 660, 820);
}

bool ShellOpen(HWND owner, const std::u16string& path) {
  if (g_uiHooks.shellOpen) return g_uiHooks.shellOpen(path);
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", W(path), nullptr, nullptr, SW_SHOW));
  return result > 32;
}


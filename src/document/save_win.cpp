#include "common/win.h"  // before the other system headers

#include <commdlg.h>
#include <shobjidl.h>

#include "app/editor_win.h"
#include "app/messagebox_win.h"
#include "app/shell_logic.h"
#include "app/shell_win.h"
#include "app/toolbar_win.h"
#include "search/find_win.h"
#include "settings/lexer_win.h"
#include "document/document_win.h"
#include "document/save_win.h"
#include "settings/settings_win.h"

namespace {
FileDialogHook g_dialogHook = nullptr;
const std::u16string kErrorDash = u"Norvo \u2014 Error";

bool CannotSave(HWND owner) {
  ShowMessageBox(owner, Ok, kErrorDash, u"Cannot save file.");
  return false;
}

bool WriteAll(HANDLE file, const void* data, size_t length) {
  const char* p = static_cast<const char*>(data);
  while (length > 0) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(length, 1u << 30));
    DWORD done = 0;
    if (!WriteFile(file, p, chunk, &done, nullptr) || done != chunk) return false;
    p += chunk;
    length -= chunk;
  }
  return true;
}

// Writes the mark (for a document that came with one) and the editor's bytes.
bool WriteDocument(HANDLE file) {
  static const unsigned char kBom[3] = {0xEF, 0xBB, 0xBF};
  if (g_doc.encoding == TextEncoding::Utf8Bom && !WriteAll(file, kBom, 3)) return false;
  size_t length = static_cast<size_t>(Sci(SCI_GETLENGTH));
  if (length == 0) return true;
  // The control's own contiguous text: no copy of a large document is made.
  const char* text = reinterpret_cast<const char*>(Sci(SCI_GETCHARACTERPOINTER));
  return text && WriteAll(file, text, length);
}

HANDLE OpenLocked(const std::u16string& path) {
  return CreateFileW(W(path), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

void AfterDocumentChange() {
  UpdateTitle();
  UpdateStatusBar();
  UpdateToolbar();
}

std::u16string AskOpenPath(HWND owner) {
  if (g_dialogHook) return g_dialogHook(false);
  IFileOpenDialog* dialog = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&dialog))) || !dialog) {
    ShowMessageBox(owner, Ok, kErrorDash, u"Failed to create file dialog.");
    return {};
  }
  std::u16string chosen;
  FILEOPENDIALOGOPTIONS options = 0;
  dialog->GetOptions(&options);
  dialog->SetOptions(options | FOS_PATHMUSTEXIST | FOS_FILEMUSTEXIST);
  const COMDLG_FILTERSPEC types[] = {
      {L"All Text Files",
       L"*.txt;*.md;*.cpp;*.h;*.c;*.hpp;*.cxx;*.cc;*.json;*.xml;*.ini;*.log;*.csv;*.bat;*.cmd;*.py;*.js;*.css;*.html"},
      {L"Text Files", L"*.txt"},
      {L"Source Files", L"*.cpp;*.h;*.c;*.hpp"},
      {L"Markdown", L"*.md"},
      {L"All Files", L"*.*"},
  };
  dialog->SetFileTypes(5, types);
  dialog->SetFileTypeIndex(1);
  dialog->SetTitle(L"Open File - Norvo");
  if (SUCCEEDED(dialog->Show(owner))) {
    IShellItem* item = nullptr;
    if (SUCCEEDED(dialog->GetResult(&item)) && item) {
      PWSTR name = nullptr;
      if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &name)) && name) {
        chosen = U16(name);
        CoTaskMemFree(name);
      }
      item->Release();
    }
  }
  dialog->Release();
  return chosen;
}

std::u16string AskSavePath(HWND owner) {
  if (g_dialogHook) return g_dialogHook(true);
  wchar_t buffer[260] = {};
  std::u16string current = g_doc.path.substr(0, 259);
  std::copy(current.begin(), current.end(), buffer);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = L"Text Files (*.txt)\0*.txt\0Markdown (*.md)\0*.md\0Source Files (*.cpp)\0*.cpp\0"
                    L"All Files (*.*)\0*.*\0";
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = buffer;
  ofn.nMaxFile = 260;
  ofn.lpstrTitle = L"Save As - Norvo";
  ofn.lpstrDefExt = L"txt";
  ofn.Flags = OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST;
  if (!GetSaveFileNameW(&ofn)) return {};
  return U16(buffer);
}
}  // namespace

void SetFileDialogHook(FileDialogHook hook) { g_dialogHook = hook; }

bool NewDocument() {
  g_doc.fileHandle.reset();
  SetDocumentText("", 0);
  g_doc.path.clear();
  g_doc.modified = false;
  g_doc.encoding = TextEncoding::Utf8;
  Sci(SCI_SETEOLMODE, SC_EOL_CRLF);
  if (!g_shell.viewerMode) SetupLexer(u"");
  AfterDocumentChange();
  HeapCompact(GetProcessHeap(), 0);
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
  if (g_shell.editor) InvalidateRect(g_shell.editor, nullptr, TRUE);
  if (g_shell.marginWindow) InvalidateRect(g_shell.marginWindow, nullptr, TRUE);
  if (g_shell.mainWindow) UpdateWindow(g_shell.mainWindow);
  ClearSearchIndicators();
  return true;
}

bool SaveDocument(HWND owner) {
  if (g_doc.path.empty()) return SaveDocumentAs(owner);
  if (g_doc.fileHandle) {
    HANDLE file = g_doc.fileHandle.get();
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(file, zero, nullptr, FILE_BEGIN) || !WriteDocument(file) || !SetEndOfFile(file)) {
      return CannotSave(owner);
    }
  } else {
    {
      UniqueHandle file(
          CreateFileW(W(g_doc.path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
      if (!file || !WriteDocument(file.get())) return CannotSave(owner);
      HANDLE raw = file.release();
      if (!CloseHandle(raw)) return CannotSave(owner);
    }
    g_doc.fileHandle.reset(OpenLocked(g_doc.path));  // staying unlocked is not an error
  }
  g_doc.modified = false;
  UpdateTitle();
  if (!g_shell.viewerMode) SetupLexer(g_doc.path);
  return true;
}

bool SaveDocumentAs(HWND owner) {
  std::u16string chosen = AskSavePath(owner);
  if (chosen.empty()) return false;
  g_doc.path = chosen;
  g_doc.fileHandle.reset();  // the lock belonged to the previous name
  return SaveDocument(owner);
}

bool OpenDocumentPath(HWND owner, const std::u16string& path) {
  if (!FileLoad(owner, path)) return false;
  g_doc.path = path;
  g_doc.modified = false;
  AfterDocumentChange();
  if (!g_shell.viewerMode) AddRecentFile(path);
  return true;
}

bool ShowOpenDialog(HWND owner) {
  std::u16string chosen = AskOpenPath(owner);
  if (chosen.empty()) return false;
  return OpenDocumentPath(owner, chosen);
}

void AddRecentFile(const std::u16string& path) {
  if (path.empty()) return;
  RecentList list = ReadRecentList(g_settings);
  AddRecent(list, path);
  WriteRecentList(g_settings, list);
  SaveSettings(g_settings);
}

void RemoveRecentFile(size_t index) {
  if (index >= kRecentFileCount) return;
  RecentList list = ReadRecentList(g_settings);
  RemoveRecent(list, index);
  WriteRecentList(g_settings, list);
  SaveSettings(g_settings);
}

void ClearRecentFiles(HWND owner) {
  if (ShowMessageBox(owner, YesNo, u"Norvo \u2014 Recent Files", u"Clear the entire Recent Files list?") != ResultYes)
    return;
  WriteRecentList(g_settings, RecentList{});
  SaveSettings(g_settings);
}

void OpenRecentFile(HWND owner, size_t index) {
  if (index >= kRecentFileCount) return;
  std::u16string entry = g_settings.recentFiles[index].Get();
  if (entry.empty()) return;
  if (GetFileAttributesW(W(entry)) == INVALID_FILE_ATTRIBUTES) {
    if (ShowMessageBox(owner, YesNo, u"Norvo \u2014 Recent Files", VanishedRecentText(GetDisplayName(entry))) ==
        ResultYes)
      RemoveRecentFile(index);
    return;
  }
  if (!AskFirst(owner)) return;
  OpenDocumentPath(owner, entry);
}

FileOnDisk CheckFileOnDisk() {
  return CheckFileOnDisk(g_doc.path, [](std::u16string_view p) {
    return GetFileAttributesW(W(std::u16string(p))) != INVALID_FILE_ATTRIBUTES;
  });
}

int PromptSaveChanges(HWND owner) {
  FileOnDisk state = CheckFileOnDisk();
  if (!NeedsSavePrompt(state, g_doc.modified)) return IDNO;
  int answer = ShowMessageBox(owner, SaveDontSaveCancel, u"Norvo",
                              SavePromptText(GetDisplayName(g_doc.path), state, g_doc.modified));
  if (answer == ResultYes) return IDYES;
  if (answer == ResultNo) return IDNO;
  return IDCANCEL;
}

bool AskFirst(HWND owner) {
  switch (PromptSaveChanges(owner)) {
    case IDYES: return SaveDocument(owner);
    case IDNO: return true;
    default: return false;
  }
}

void CheckDiskOnActivate(HWND owner) {
  if (g_shell.viewerMode || g_doc.path.empty()) return;
  FileOnDisk state = CheckFileOnDisk();
  if (state == FileOnDisk::Present) return;
  int answer = ShowMessageBox(owner, SaveDontSaveCancel, u"Norvo \u2014 File Changed",
                              FileChangedText(GetDisplayName(g_doc.path), state));
  if (answer == ResultYes) {
    SaveDocument(owner);
  } else if (answer == ResultNo) {
    g_doc.fileHandle.reset();
    g_doc.path.clear();
    UpdateTitle();
  }
}

void ArmAutoSave(HWND mainWindow) {
  if (!mainWindow) return;
  KillTimer(mainWindow, AUTOSAVE_TIMER_ID);
  if (g_settings.autoSaveMinutes > 0) {
    SetTimer(mainWindow, AUTOSAVE_TIMER_ID, static_cast<UINT>(g_settings.autoSaveMinutes) * 60000u, nullptr);
  }
}

void OnAutoSaveTick(HWND owner) {
  if (g_doc.modified && !g_doc.path.empty()) SaveDocument(owner);
}

#include "common/win.h"  // before the other system headers

#include <commdlg.h>
#include <shobjidl.h>

#include "document/document_hooks_win.h"
#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "document/prompts_win.h"
#include "document/recent_win.h"
#include "document/recovery_win.h"
#include "document/safe_save_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"
#include "ui/ui_logic.h"

namespace {
const std::u16string kErrorDash = u"Norvo \u2014 Error";

bool CannotSave(HWND owner) {
  ShowMessageBox(owner, Ok, kErrorDash, u"Cannot save file.");
  return false;
}

// The editor's bytes behind the mark of a document that came with one; the control's own
// contiguous text, so no copy of a large document is made.
SaveBytes DocumentBytes() {
  static const char kBom[3] = {'\xEF', '\xBB', '\xBF'};
  SaveBytes bytes;
  if (g_doc.encoding == TextEncoding::Utf8Bom) bytes.mark = std::string_view(kBom, 3);
  size_t length = static_cast<size_t>(Sci(SCI_GETLENGTH));
  if (length > 0) {
    if (const char* text = reinterpret_cast<const char*>(Sci(SCI_GETCHARACTERPOINTER))) bytes.text = {text, length};
  }
  return bytes;
}

// A save (with its message) is under way: a timer tick delivered by the message's own loop
// must not start another.
bool g_saving = false;
struct SavingScope {
  bool previous = std::exchange(g_saving, true);
  ~SavingScope() { g_saving = previous; }
};

void AfterSave(const std::u16string& path) {
  g_doc.modified = false;
  SettleRecoveryCopy();  // the changes are on disk
  NotifyDocument(DocumentEvent::StateChanged);
  NotifyDocument(DocumentEvent::Saved, path);
}

void AfterDocumentChange() {
  NotifyDocument(DocumentEvent::StateChanged);
}

std::u16string AskOpenPath(HWND owner) {
  if (g_documentHooks.fileDialog) return g_documentHooks.fileDialog(false);
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
  if (g_documentHooks.fileDialog) return g_documentHooks.fileDialog(true);
  wchar_t buffer[260] = {};
  std::u16string current = g_doc.path.substr(0, 259);
  std::copy(current.begin(), current.end(), buffer);
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter =
      L"Text Files (*.txt)\0*.txt\0Markdown (*.md)\0*.md\0Source Files (*.cpp)\0*.cpp\0"
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

bool SaveInProgress() {
  return g_saving;
}

bool SamePath(const std::u16string& a, const std::u16string& b) {
  return CompareStringOrdinal(W(a), static_cast<int>(a.size()), W(b), static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool NewDocument() {
  if (g_shell.viewerMode) return false;  // the viewer shows its file and nothing else
  // The fresh document comes first: when it cannot be made, nothing has changed.
  if (!SetDocumentText("", 0)) {
    ShowMessageBox(g_shell.mainWindow, Ok, kErrorDash, u"Not enough memory to create a new document.");
    return false;
  }
  g_doc.fileHandle.reset();
  g_doc.path.clear();
  g_doc.modified = false;
  g_doc.readOnly = false;
  g_doc.encoding = TextEncoding::Utf8;
  Sci(SCI_SETEOLMODE, SC_EOL_CRLF);
  SettleRecoveryCopy();  // the changes were let go when the question was answered
  NotifyDocument(DocumentEvent::Created);
  AfterDocumentChange();
  HeapCompact(GetProcessHeap(), 0);
  SetProcessWorkingSetSize(GetCurrentProcess(), static_cast<SIZE_T>(-1), static_cast<SIZE_T>(-1));
  if (g_shell.editor) InvalidateRect(g_shell.editor, nullptr, TRUE);
  if (g_shell.marginWindow) InvalidateRect(g_shell.marginWindow, nullptr, TRUE);
  if (g_shell.mainWindow) UpdateWindow(g_shell.mainWindow);
  return true;
}

bool SaveDocument(HWND owner) {
  if (g_shell.viewerMode) return false;  // the viewer never writes
  if (g_doc.path.empty()) return SaveDocumentAs(owner);
  SavingScope saving;
  if (g_doc.readOnly || !WriteFileSafely(g_doc.path, DocumentBytes(), g_doc.fileHandle)) return CannotSave(owner);
  AfterSave(g_doc.path);
  return true;
}

bool SaveDocumentAs(HWND owner) {
  if (g_shell.viewerMode) return false;
  SavingScope saving;
  std::u16string chosen = AskSavePath(owner);
  if (chosen.empty()) return false;
  if (!g_doc.path.empty() && SamePath(chosen, g_doc.path)) return SaveDocument(owner);
  // Nothing of the document changes until the new file is written: a failure keeps the
  // old name, its lock and the title.
  UniqueHandle lock;
  if (!WriteFileSafely(chosen, DocumentBytes(), lock)) return CannotSave(owner);
  g_doc.fileHandle = std::move(lock);  // the lock moves to the new name
  g_doc.path = chosen;
  g_doc.readOnly = false;
  AfterSave(chosen);
  return true;
}

bool OpenDocumentPath(HWND owner, const std::u16string& path) {
  if (!FileLoad(owner, path)) return false;
  g_doc.path = path;
  g_doc.modified = false;
  SettleRecoveryCopy();
  AfterDocumentChange();
  if (!g_shell.viewerMode) AddRecentFile(path);
  return true;
}

bool ShowOpenDialog(HWND owner) {
  std::u16string chosen = AskOpenPath(owner);
  if (chosen.empty()) return false;
  return OpenDocumentPath(owner, chosen);
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

bool AskFirst(HWND owner) {
  if (g_shell.viewerMode) return true;  // a viewer has nothing to save and asks nothing
  switch (PromptSaveChanges(owner)) {
    case IDYES:
      return SaveDocument(owner);
    case IDNO:
      return true;
    default:
      return false;
  }
}

#include "document/disk_check_win.h"

#include "document/document_win.h"
#include "document/file_commands_win.h"
#include "document/prompts_win.h"
#include "ui/messagebox_win.h"
#include "ui/shell_win.h"
#include "ui/ui_logic.h"

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
    NotifyDocument(DocumentEvent::StateChanged);
  }
}

#include "document/prompts_win.h"

#include "document/document_win.h"
#include "ui/messagebox_win.h"
#include "ui/ui_logic.h"

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

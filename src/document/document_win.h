// The open document: its path, encoding, modified flag and the handle that locks its file.
#pragma once
#include <string>

#include "common/handles_win.h"
#include "document/encoding.h"

struct DocumentState {
  std::u16string path;  // empty: untitled
  TextEncoding encoding = TextEncoding::Utf8;
  bool modified = false;
  UniqueHandle fileHandle;  // held while the document is open: others may read, not write
  bool readOnly = false;    // opened without write access (or in the viewer): never written in place
};
extern DocumentState g_doc;

// Opens, locks and reads a file into the edit control. On failure a message has been
// shown (owner = `owner`), no file is locked, and the control keeps the previous text.
// Does not change `path` or `modified`: callers set them on success.
bool FileLoad(HWND owner, const std::u16string& path);

// What a change of the document means for the rest of the program. The main window sets the
// hook and refreshes what depends on the document: the margin, the lexer (or the viewer's
// look), the toolbar, the title and status bar, the search state. Unset, nothing is called.
enum class DocumentEvent {
  Loaded,        // a file's text is in the editor (traced as part of the load)
  Created,       // New made an empty, untitled document
  Saved,         // written under `path`, which may be a new name
  StateChanged,  // path, modified flag or encoding changed: title, status bar, toolbar
};
using DocumentHook = void (*)(DocumentEvent event, const std::u16string& path);
void SetDocumentHook(DocumentHook hook);
void NotifyDocument(DocumentEvent event, const std::u16string& path = {});

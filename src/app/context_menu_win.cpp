#include "app/context_menu_win.h"

#include "common/utf.h"
#include "document/document_win.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/menu_win.h"
#include "ui/shell_win.h"

MenuState CurrentMenuState() {
  MenuState s;
  s.canUndo = Sci(SCI_CANUNDO) != 0;
  s.canRedo = Sci(SCI_CANREDO) != 0;
  s.hasSelection = Sci(SCI_GETSELECTIONSTART) != Sci(SCI_GETSELECTIONEND);
  s.clipboardHasText = ClipboardHasText();
  s.documentEmpty = Sci(SCI_GETLENGTH) == 0;
  s.path = g_doc.path;
  s.lineNumbersShown = g_shell.marginVisible;
  s.wordWrap = g_live.wordWrap;
  s.themeId = g_live.themeId;
  s.transparency = g_settings.transparency;
  for (size_t i = 0; i < s.recent.size(); ++i) {
    s.recent[i] = g_settings.recentFiles[i].Get();
    if (s.recent[i].empty()) break;
    s.recentExists[i] = GetFileAttributesW(W(s.recent[i])) != INVALID_FILE_ATTRIBUTES;
  }
  return s;
}

void ShowContextMenu(HWND owner, POINT screen) {
  if (g_shell.viewerMode) return;
  TrackContextMenu(owner, screen, BuildContextMenu(CurrentMenuState()));
}

// Decisions of the main window that need no window: the title, the first document from the
// command line, the status bar's texts, the edit-field keys and the toolbar's layout.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ui/ui_logic.h"

// "Norvo - <name>" with " *" when modified.
std::u16string BuildTitle(std::u16string_view path, bool modified);

// True when argument 1 is exactly "--viewer".
bool HasViewerFlag(const std::vector<std::u16string>& args);

// Which document start-up posts from the command line, and the trace line saying why.
struct CommandLineDocument {
  std::optional<std::u16string> path;  // none: no file from the command line
  const char* trace;                   // what was decided (without the product prefix)
};
// Only for two or more arguments; `args[0]` is the program.
CommandLineDocument DocumentFromCommandLine(const std::vector<std::u16string>& args);

// The status bar's five texts from what the editor reports (positions already 0-based).
struct StatusInfo {
  long long line = 0;       // caret line, 0-based
  long long column = 0;     // caret column, 0-based, tabs expanded
  long long selection = 0;  // selection end - start, in bytes
  int encoding = 1;         // TextEncoding value
  int eolMode = 0;          // SC_EOL_*
  int zoom = 0;             // SCI_GETZOOM
};
struct StatusTexts {
  std::u16string part[5];
};
StatusTexts BuildStatusTexts(const StatusInfo& info);

// Right edges of the five parts: p, p+115, p+230, p+295, -1 with p = max(80, width - 360).
struct StatusEdges {
  int edge[5];
};
StatusEdges StatusBarPartEdges(int clientWidth);

// Keys that an edit field of a dialog keeps for itself (Ctrl+Z, Y, X, C, V, A) instead of
// the document's accelerators.
bool IsEditFieldKey(unsigned virtualKey, bool ctrl, bool shift, bool alt);

// The toolbar's six buttons: left edge of button k for a client width.
constexpr int kToolbarButtonCount = 6;
int ToolbarButtonLeft(int clientWidth, int index);

// Decisions of the application shell that need no window: the title, the first document
// from the command line, the window alpha, and the message box's layout.
#pragma once
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// "Untitled" for an empty path, else the part after the last '\' or '/'.
std::u16string GetDisplayName(std::u16string_view path);

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

// Layered-window alpha for a transparency percentage: 255 - trunc(p * 255 / 100).
int TransparencyAlpha(int percent);

// The message box's button sets (MessageBoxKind) and results (MessageBoxResult).
enum MessageBoxKind { SaveDontSaveCancel = 0, OkCancel = 1, Ok = 2, YesNo = 3 };
enum MessageBoxResult { ResultOk = 131, ResultCancel = 132, ResultYes = 133, ResultNo = 134 };

struct MessageBoxButton {
  int id;                 // 2501, 2502, 2503
  const char16_t* text;   // the button's window text
  const char16_t* caption;  // what is painted on it
  MessageBoxResult result;
};

// The dialog's geometry in dialog units.
struct MessageBoxLayout {
  int width;       // W
  int textHeight;  // H
  int height;
  int buttonTop;
  std::vector<MessageBoxButton> buttons;
  std::vector<int> buttonX;
};
MessageBoxLayout ComputeMessageBoxLayout(int kind, std::u16string_view text);

// What Escape or closing the box returns for a kind.
MessageBoxResult MessageBoxCancelResult(int kind);

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

// Line-number margin width: digits of the line count (at least 3) times the width of "9"
// (8 when unknown) plus 12.
int MarginWidthFor(long long lineCount, int digitWidth);

// The toolbar's six buttons: left edge of button k for a client width.
constexpr int kToolbarButtonCount = 6;
int ToolbarButtonLeft(int clientWidth, int index);

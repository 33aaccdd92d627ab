// Decisions of the shared window services that need no window: a document's display name,
// the window alpha, the message box's layout and the line-number margin's width.
#pragma once
#include <string>
#include <string_view>
#include <vector>

// "Untitled" for an empty path, else the part after the last '\' or '/'.
std::u16string GetDisplayName(std::u16string_view path);

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

// Line-number margin width: digits of the line count (at least 3) times the width of "9"
// (8 when unknown) plus 12.
int MarginWidthFor(long long lineCount, int digitWidth);

// Markdown to one self-contained HTML page: a small, line-oriented subset (three heading
// levels, flat lists, one-line quotes, rules, paragraphs, bold, italic and code spans).
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "settings/theme.h"

struct MarkdownPageStyle {
  std::u16string title;  // the document's file name or "Untitled"; escaped on the page
  std::u16string fontFace;
  int fontSize = 10;
  // 0x00BBGGRR colours.
  uint32_t back = 0, text = 0, head = 0, muted = 0, rule = 0, codeBack = 0;
};

// The page colours of a theme palette.
void SetMarkdownColours(MarkdownPageStyle& style, const ColorPalette& palette);

struct BodyFont {
  std::u16string face;
  int size;
};
// Monospace editor fonts (and an empty name) give "Segoe UI" 10; others keep the editor's face
// and size (10 when the size is not positive).
BodyFont PickBodyFont(std::u16string_view editorFont, int editorFontSize);

// The whole page as UTF-8. The caller refuses an empty text before calling.
std::string RenderMarkdownPage(std::u16string_view text, const MarkdownPageStyle& style);

// One line's inline spans (bold, italic, code) as UTF-8 HTML.
std::string RenderInlineSpans(std::u16string_view line);

// Plain text to escaped UTF-8 (tab to four blanks, " & ' < > to entities).
std::string EscapeHtmlUtf8(std::u16string_view text);

// The simulated progress of a render that reports none: about 40 steps up to 90 % of the
// lines, then "Finalizing...".
struct MarkdownProgress {
  explicit MarkdownProgress(int totalLines);
  // One 80 ms tick: writes the values to post, in order (a line number, then -1 for
  // "Finalizing..." on the tick that reaches the target), and returns how many (0, 1 or 2).
  int Tick(int64_t posts[2]);
  int target, step, position = 1;
  bool finalizing = false;
};

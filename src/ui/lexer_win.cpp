#include "ui/lexer_win.h"

#include <ILexer.h>

#include "settings/lexers.h"
#include "settings/settings_win.h"
#include "ui/editor_win.h"
#include "ui/shell_win.h"

int g_lexerKind = kLexerNull;

namespace {
// The path the current lexer was chosen for.
std::u16string g_lexerPath;
}  // namespace

namespace {
using CreateLexerFn = Scintilla::ILexer5*(__stdcall*)(const char* name);

Scintilla::ILexer5* CreateLexer(const char* name) {
  if (!g_shell.createLexer) return nullptr;
  return reinterpret_cast<CreateLexerFn>(g_shell.createLexer)(name);
}

void ApplyLineNumberColours(const ColorPalette& p) {
  Sci(SCI_SETMARGINBACKN, 0, Colour(p.marginBack));
  Sci(SCI_STYLESETBACK, STYLE_LINENUMBER, Colour(p.marginBack));
  Sci(SCI_STYLESETFORE, STYLE_LINENUMBER, Colour(p.marginText));
}
}  // namespace

void SetupLexer(const std::u16string& path) {
  const ColorPalette& p = GetColorPalette();
  const bool bold = g_settings.fontBold != 0, italic = g_settings.fontItalic != 0;
  g_lexerPath = path;
  g_lexerKind = LexerForPath(path);
  Scintilla::ILexer5* lexer = g_lexerKind != kLexerNull ? CreateLexer(LexerName(g_lexerKind)) : nullptr;
  if (lexer) {
    Sci(SCI_SETILEXER, 0, reinterpret_cast<sptr_t>(lexer));
    SetDefaultStyleFontAndColours();
    for (const KeywordSet& set : KeywordsFor(g_lexerKind)) Sci(SCI_SETKEYWORDS, set.set, set.words);
    Sci(SCI_STYLECLEARALL);
    for (const StyleRule& rule : StyleTableFor(g_lexerKind)) {
      Sci(SCI_STYLESETFORE, rule.style, Colour(ResolveColor(rule.fore, p)));
      Sci(SCI_STYLESETBACK, rule.style, Colour(ResolveColor(rule.back, p)));
      Sci(SCI_STYLESETBOLD, rule.style, ResolveFlag(rule.bold, bold));
      Sci(SCI_STYLESETITALIC, rule.style, ResolveFlag(rule.italic, italic));
    }
    for (int margin = 0; margin <= 4; ++margin) Sci(SCI_SETMARGINWIDTHN, margin, 0);
  } else {
    if (Scintilla::ILexer5* plain = CreateLexer("null")) Sci(SCI_SETILEXER, 0, reinterpret_cast<sptr_t>(plain));
    Sci(SCI_STYLECLEARALL);
    Sci(SCI_STYLESETFORE, STYLE_DEFAULT, Colour(p.editorText));
    Sci(SCI_STYLESETBACK, STYLE_DEFAULT, Colour(p.editorBack));
    Sci(SCI_STYLESETBOLD, STYLE_DEFAULT, bold);
    Sci(SCI_STYLESETITALIC, STYLE_DEFAULT, italic);
    Sci(SCI_STYLECLEARALL);
  }
  ApplyLineNumberColours(p);
}

void ReapplyLexerStyles() {
  if (!g_shell.viewerMode) SetupLexer(std::u16string(g_lexerPath));
}

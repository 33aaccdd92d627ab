// Which lexer a file gets, from its extension alone, and how its styles are coloured.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "settings/theme.h"

// LexerKind values are the public Scintilla lexer identifiers.
constexpr int kLexerNull = 1;
constexpr int kLexerPython = 2;
constexpr int kLexerCpp = 3;
constexpr int kLexerHtml = 4;
constexpr int kLexerXml = 5;
constexpr int kLexerSql = 7;
constexpr int kLexerBatch = 12;
constexpr int kLexerLua = 15;
constexpr int kLexerCss = 38;
constexpr int kLexerMarkdown = 98;
constexpr int kLexerJson = 120;

// The text after the last '.' anywhere in the path, lower-cased; empty without a '.'.
std::u16string GetFileExtension(std::u16string_view path);
int LexerForPath(std::u16string_view path);
// The name Lexilla creates the lexer by ("null" for plain text).
const char* LexerName(int kind);

enum class ColorRole { EditorText, EditorBack, Keyword, Comment, String, Number, Preprocessor, Operator, MutedText, CodeBack };
// "font": the live font flag; "yes"/"no": always on/off.
enum class StyleFlag { Font, Yes, No };

struct StyleRule {
  int style;
  ColorRole fore, back;
  StyleFlag bold, italic;
};
struct KeywordSet {
  int set;
  const char* words;  // separated by single spaces
};

// Empty for languages that are lexed but not coloured (SQL, Lua, JSON) and for plain text.
std::span<const StyleRule> StyleTableFor(int kind);
std::span<const KeywordSet> KeywordsFor(int kind);

// Markdown code background: editorBack with each channel +18 on dark themes, -14 on light ones.
uint32_t MarkdownCodeBackground(uint32_t editorBack, bool dark);
uint32_t ResolveColor(ColorRole role, const ColorPalette& palette);
inline bool ResolveFlag(StyleFlag flag, bool fontFlag) { return flag == StyleFlag::Yes || (flag == StyleFlag::Font && fontFlag); }

// Installs and colours the lexer of the current document.
#pragma once
#include <string>

extern int g_lexerKind;  // LexerKind of the current document

// Chooses the lexer by the path's extension (an empty path: plain text).
void SetupLexer(const std::u16string& path);
// The theme or font changed: the lexer styling again, for the path last set up.
void ReapplyLexerStyles();

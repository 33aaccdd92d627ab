// Installs and colours the lexer of the current document.
#pragma once
#include <string>

extern int g_lexerKind;  // LexerKind of the current document

void SetupLexer(const std::u16string& path);
// The theme or font changed: the current document's lexer styling again.
void ReapplyLexerStyles();

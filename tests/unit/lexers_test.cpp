#include "settings/lexers.h"

#include <gtest/gtest.h>


struct LexerCase {
  const char16_t* path;
  int kind;
};
class LexerChoice : public testing::TestWithParam<LexerCase> {};

TEST_P(LexerChoice, ByLowerCasedExtension) { EXPECT_EQ(LexerForPath(GetParam().path), GetParam().kind); }

INSTANTIATE_TEST_SUITE_P(
    Paths, LexerChoice,
    testing::Values(LexerCase{u"C:\\src\\main.cpp", kLexerCpp}, LexerCase{u"README.MD", kLexerMarkdown},
                    LexerCase{u"archive.tar.gz", kLexerNull}, LexerCase{u"Makefile", kLexerNull},
                    LexerCase{u"C:\\v1.2\\notes", kLexerNull}, LexerCase{u"data.JSONC", kLexerJson},
                    LexerCase{u"main.rs", kLexerNull}, LexerCase{u"", kLexerNull}, LexerCase{u"trailing.", kLexerNull},
                    LexerCase{u"x.c++", kLexerNull}));

TEST(Lexers, ExtensionIsTheTextAfterTheLastDotAnywhere) {
  EXPECT_EQ(GetFileExtension(u"C:\\v1.2\\notes"), u"2\\notes");
  EXPECT_EQ(GetFileExtension(u"A.TXT"), u"txt");
  EXPECT_EQ(GetFileExtension(u"none"), u"");
}

TEST(Lexers, MarkdownCodeBackgroundClamps) {
  EXPECT_EQ(MarkdownCodeBackground(0x001E1C1C, true), 0x00302E2Eu);   // +18 on dark themes
  EXPECT_EQ(MarkdownCodeBackground(0x00FFFFFF, false), 0x00F1F1F1u);  // -14 on light themes
  EXPECT_EQ(MarkdownCodeBackground(0x00F5FA05, true), 0x00FFFF17u);   // clamped at 255
  EXPECT_EQ(MarkdownCodeBackground(0x0000050A, false), 0x00000000u);  // clamped at 0
}

TEST(Lexers, StyleRulesResolveAgainstThePalette) {
  const ColorPalette& dark = kThemePalettes[0];
  auto table = StyleTableFor(kLexerCpp);
  const StyleRule& word = table[5];
  EXPECT_EQ(word.style, 5);
  EXPECT_EQ(ResolveColor(word.fore, dark), dark.syntax.keyword);
  EXPECT_TRUE(ResolveFlag(word.bold, false));
  const StyleRule& comment = table[1];
  EXPECT_TRUE(ResolveFlag(comment.italic, false));
  EXPECT_FALSE(ResolveFlag(comment.bold, false));
  EXPECT_TRUE(ResolveFlag(comment.bold, true));  // "font": follows the font's own bold
  EXPECT_EQ(ResolveColor(ColorRole::CodeBack, dark), MarkdownCodeBackground(dark.editorBack, true));
}

#include "print/markdown_pdf.h"

#include <gtest/gtest.h>

#include "common/utf.h"

namespace {
const std::u16string kFace = u"Segoe UI";

std::u16string Joined(const std::vector<MdRun>& runs) {
  std::u16string text;
  for (const MdRun& r : runs) text += r.text;
  return text;
}

TEST(MarkdownPdf, BlocksByTheirMarkers) {
  struct Case {
    const char16_t* line;
    MdBlockKind kind;
    int number;
    const char16_t* text;
  };
  const Case cases[] = {
      {u"  \t", kMdEmpty, 0, u""},          {u"---", kMdRule, 0, u""},
      {u"***", kMdRule, 0, u""},            {u"### Three", kMdHeading3, 0, u"Three"},
      {u"## Two", kMdHeading2, 0, u"Two"},  {u"# One", kMdHeading1, 0, u"One"},
      {u"#", kMdParagraph, 0, u"#"},        {u"- item", kMdBullet, 0, u"item"},
      {u"* item", kMdBullet, 0, u"item"},   {u"> said", kMdQuote, 0, u"said"},
      {u"07. seventh", kMdNumbered, 7, u"seventh"},
      {u"123. no", kMdParagraph, 0, u"123. no"},
      {u"a. no", kMdParagraph, 0, u"a. no"}, {u"plain text\r\n", kMdParagraph, 0, u"plain text"},
  };
  for (const Case& c : cases) {
    const MdBlock block = ParseMarkdownBlock(c.line, kFace, 10);
    EXPECT_EQ(block.kind, c.kind) << Utf16ToUtf8(c.line);
    EXPECT_EQ(block.number, c.number) << Utf16ToUtf8(c.line);
    EXPECT_EQ(Joined(block.runs), c.text) << Utf16ToUtf8(c.line);
  }
  EXPECT_EQ(ParseMarkdownBlock(u"# One", kFace, 10).runs[0].size, 22);
  EXPECT_TRUE(ParseMarkdownBlock(u"## Two", kFace, 10).runs[0].bold);
}

TEST(MarkdownPdf, RunsToggleAlsoInsideCodeAndHeadingsStartBold) {
  const auto heading = ParseMarkdownBlock(u"# Big **plain** big", kFace, 10).runs;
  ASSERT_EQ(heading.size(), 3u);
  EXPECT_TRUE(heading[0].bold);
  EXPECT_FALSE(heading[1].bold);  // "**" switches bold off in a heading
  EXPECT_TRUE(heading[2].bold);

  const auto code = ParseMarkdownRuns(u"a `x *y* z` b", kFace, 10, false);
  ASSERT_EQ(code.size(), 5u);
  EXPECT_TRUE(code[1].code);
  EXPECT_EQ(code[1].face, u"Courier New");
  EXPECT_EQ(code[1].size, 9);
  EXPECT_TRUE(code[2].italic);  // a star still toggles inside code
  EXPECT_TRUE(code[2].code);
  EXPECT_EQ(ParseMarkdownRuns(u"`x`", kFace, 8, false)[0].size, 8);
  EXPECT_TRUE(ParseMarkdownRuns(u"", kFace, 10, false).empty());
}

// Ten units a character, a line height of 20.
const MeasureMdRun kTenEach = [](const MdRun&, std::u16string_view token) { return static_cast<int>(token.size()) * 10; };

TEST(MarkdownPdf, LayoutWrapsIndentsAndSpaces) {
  // 96 dpi: indent 18, 28 kept free on the right, so 110 for the item's words.
  const auto lines = BuildMarkdownLayout(u"- aaaa bbbb cccc dddd\r\n\r\n---\n# Title", kFace, 10, 156, 96, 20, kTenEach);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].kind, kMdBullet);
  EXPECT_EQ(lines[0].indent, 18);
  EXPECT_EQ(Joined(lines[0].runs), u"aaaa bbbb");
  EXPECT_EQ(lines[1].kind, kMdBullet);  // the marker is drawn on every line of the item
  EXPECT_EQ(Joined(lines[1].runs), u"cccc dddd");
  EXPECT_EQ(lines[2].kind, kMdEmpty);
  EXPECT_EQ(lines[2].spaceBefore, 10);
  EXPECT_TRUE(lines[3].isRule);
  EXPECT_EQ(lines[3].spaceBefore, 6);
  EXPECT_EQ(lines[4].kind, kMdHeading1);
  EXPECT_EQ(lines[4].spaceBefore, 20);  // a line's height above a heading 1
}

TEST(MarkdownPdf, TheFixedDistancesScaleWithTheDevice) {
  // At 600 dpi the item indent is 18 screen pixels scaled: 113; a quote's 20: 125.
  EXPECT_EQ(BuildMarkdownLayout(u"- x", kFace, 10, 5000, 600, 20, kTenEach)[0].indent, 113);
  EXPECT_EQ(BuildMarkdownLayout(u"> x", kFace, 10, 5000, 600, 20, kTenEach)[0].indent, 125);
  // The narrowest width (80 screen pixels, 500 device units) keeps a narrow page usable.
  const auto narrow = BuildMarkdownLayout(u"aaaaaaaaaa bbbbbbbbbb cccccccccc", kFace, 10, 100, 600, 20, kTenEach);
  EXPECT_EQ(narrow.size(), 1u);
}

TEST(MarkdownPdf, AWrappedHeadingHasItsSpaceAboveItsFirstLine) {
  const auto lines = BuildMarkdownLayout(u"## one two three four", kFace, 10, 130, 96, 20, kTenEach);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines.front().spaceBefore, 15);
  for (size_t i = 1; i < lines.size(); ++i) EXPECT_EQ(lines[i].spaceBefore, 0);
}

TEST(MarkdownPdf, OneBlankBetweenWordsAcrossRuns) {
  const auto lines = BuildMarkdownLayout(u"The **fast** editor", kFace, 10, 1000, 96, 20, kTenEach);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(Joined(lines[0].runs), u"The fast editor");
  EXPECT_EQ(Joined(BuildMarkdownLayout(u"a  b", kFace, 10, 1000, 96, 20, kTenEach)[0].runs), u"a b");
}

TEST(MarkdownPdf, ALongWordStandsAloneAndSpacesStayBetweenWords) {
  const auto lines = BuildMarkdownLayout(u"ab " + std::u16string(40, u'x') + u" cd ef", kFace, 10, 250, 96, 20, kTenEach);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(Joined(lines[0].runs), u"ab");
  EXPECT_EQ(Joined(lines[1].runs), std::u16string(40, u'x'));
  EXPECT_EQ(Joined(lines[2].runs), u"cd ef");
}
}  // namespace

#include "markdown/markdown_html.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "outside_readers.h"

namespace {

struct PageColours {
  const char *bg, *text, *head, *muted, *rule, *codeBack;
};
constexpr PageColours kDark = {"#1C1C1E", "#D4D4D4", "#DCDCDC", "#6E6E6E", "#37373A", "#232326"};

// The page as it must come out, written out independently of the renderer.
std::string ExpectedPage(std::string_view body, std::string_view title = "notes.md", std::string_view font = "Segoe UI",
                         int size = 10) {
  const PageColours& c = kDark;
  std::string s = std::string("<!DOCTYPE html>\n<html>\n<head>\n") +
                  "  <meta charset=\"UTF-8\">\n"
                  "  <meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">\n"
                  "  <title>" + std::string(title) + "</title>\n"
                  "  <style>\n"
                  "    * { margin: 0; padding: 0; box-sizing: border-box; }\n"
                  "    body { background: " + c.bg + "; color: " + c.text + "; font-family: '" + std::string(font) +
                  "', 'Segoe UI', sans-serif; font-size: " + std::to_string(size) + "pt; line-height: 1.6; }\n"
                  "    .content { max-width: 860px; margin: 0 auto; padding: 40px 32px; }\n"
                  "    h1 { font-size: 2em;   color: " + c.head + "; border-bottom: 1px solid " + c.rule +
                  "; padding-bottom: 6px; margin: 1.2em 0 0.5em; }\n"
                  "    h2 { font-size: 1.5em; color: " + c.head + "; margin: 1em 0 0.4em; }\n"
                  "    h3 { font-size: 1.2em; color: " + c.head + "; margin: 0.8em 0 0.3em; }\n"
                  "    p  { margin: 0.4em 0; }\n"
                  "    ul, ol { margin: 0.3em 0 0.3em 1.6em; }\n"
                  "    li { margin: 0.15em 0; }\n"
                  "    blockquote { border-left: 3px solid " + c.rule +
                  "; margin: 0.5em 0; padding: 0.2em 0 0.2em 1em; color: " + c.muted + "; font-style: italic; }\n"
                  "    hr { border: none; border-top: 1px solid " + c.rule + "; margin: 1em 0; }\n"
                  "    code { background: " + c.codeBack + "; color: " + c.muted +
                  "; font-family: 'Courier New', monospace; font-size: 0.9em; padding: 1px 4px; border-radius: 3px; }\n"
                  "    strong { color: " + c.head + "; }\n"
                  "  </style>\n"
                  "</head>\n<body>\n<div class=\"content\">\n";
  return s + std::string(body) + "</div>\n</body>\n</html>\n";
}

MarkdownPageStyle DarkStyle() {
  MarkdownPageStyle style;
  style.title = u"notes.md";
  style.fontFace = u"Segoe UI";
  style.fontSize = 10;
  SetMarkdownColours(style, kThemePalettes[0]);
  return style;
}

std::string Render(std::u16string_view text) { return RenderMarkdownPage(text, DarkStyle()); }

struct BlockCase {
  const char* name;
  std::u16string_view text;
  std::string_view body;
};

class MarkdownBlocks : public testing::TestWithParam<BlockCase> {};

TEST_P(MarkdownBlocks, WholePage) {
  EXPECT_EQ(Render(GetParam().text), ExpectedPage(GetParam().body));
}

const BlockCase kBlockCases[] = {
    {"Headings", u"# One\n## Two\n### Three", "<h1>One</h1>\n<h2>Two</h2>\n<h3>Three</h3>\n"},
    {"FourHashesIsParagraph", u"#### Title", "<p>#### Title</p>\n"},
    {"HashWithoutBlank", u"#Title", "<p>#Title</p>\n"},
    {"LoneHashAndBlank", u"# ", "<p>#</p>\n"},
    {"LoneDashAndBlank", u"- ", "<p>-</p>\n"},
    {"EmptyHeadingMarkers", u"## \n### ", "<p>##</p>\n<p>###</p>\n"},
    {"ThreeDigitNumber", u"123. item", "<p>123. item</p>\n"},
    {"OneDigitNumber", u"1. item", "<ol>\n  <li>item</li>\n</ol>\n"},
    {"TwoDigitNumbers", u"12. item\n7. next", "<ol>\n  <li>item</li>\n  <li>next</li>\n</ol>\n"},
    {"LetterNumber", u"a. item", "<p>a. item</p>\n"},
    {"NoBlankAfterDot", u"1.item", "<p>1.item</p>\n"},
    {"ListKindsAlternate", u"- a\n1. b\n- c",
     "<ul>\n  <li>a</li>\n</ul>\n<ol>\n  <li>b</li>\n</ol>\n<ul>\n  <li>c</li>\n</ul>\n"},
    {"BothBulletMarkers", u"- a\n* b\n", "<ul>\n  <li>a</li>\n  <li>b</li>\n</ul>\n"},
    {"EmptyLineSplitsList", u"- a\n\n- b", "<ul>\n  <li>a</li>\n</ul>\n<p></p>\n<ul>\n  <li>b</li>\n</ul>\n"},
    {"HeadingClosesList", u"1. a\n# h", "<ol>\n  <li>a</li>\n</ol>\n<h1>h</h1>\n"},
    {"BlanksAfterMarkerKept", u"-   x\n>  q", "<ul>\n  <li>  x</li>\n</ul>\n<blockquote> q</blockquote>\n"},
    {"Rules", u"***\n---\n___\n----", "<hr>\n<hr>\n<hr>\n<p>----</p>\n"},
    {"Quote", u"> **said**", "<blockquote><strong>said</strong></blockquote>\n"},
    {"StarsAfterText", u"a***b", "<p>a<strong>*b</strong></p>\n"},
    {"SnakeCase", u"snake_case_name", "<p>snake<em>case</em>name</p>\n"},
    {"DoubleUnderscores", u"__init__", "<p>__init__</p>\n"},
    {"SpansNotRenested", u"**bold *both** x*", "<p><strong>bold <em>both</strong> x</em></p>\n"},
    {"StarAndUnderscoreShareItalic", u"*a_ b", "<p><em>a</em> b</p>\n"},
    {"CodeKeepsStars", u"`a*b*`", "<p><code>a*b*</code></p>\n"},
    {"UnclosedCode", u"x `open", "<p>x <code>open</code></p>\n"},
    {"OpenSpansCloseInOrder", u"**b *i `c", "<p><strong>b <em>i <code>c</code></em></strong></p>\n"},
    {"Escaping", u"<b>& \"q\" 'a'", "<p>&lt;b&gt;&amp; &quot;q&quot; &#39;a&#39;</p>\n"},
    {"TabInText", u"a\tb", "<p>a    b</p>\n"},
    {"IndentedItemAndCode", u"   - item\n    code()", "<ul>\n  <li>item</li>\n</ul>\n<p>code()</p>\n"},
    {"TabIndentTrimmed", u"\t> q \t", "<blockquote>q</blockquote>\n"},
    {"LoneCrLf", u"\r\n", "<p></p>\n"},
    {"EveryLineBreak", u"a\rb\nc\r\nd\n\re", "<p>a</p>\n<p>b</p>\n<p>c</p>\n<p>d</p>\n<p></p>\n<p>e</p>\n"},
    {"FinalBreakAddsNoLine", u"a\r\n\r\n", "<p>a</p>\n<p></p>\n"},
    {"NonAscii", u"# \u00E9t\u00E9 \u20AC \U0001F600", "<h1>\xC3\xA9t\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80</h1>\n"},
    {"LoneSurrogates", u"a\xD83D" u"b\xDE00", "<p>a\xEF\xBF\xBD" "b\xEF\xBF\xBD</p>\n"},
};

INSTANTIATE_TEST_SUITE_P(Markdown, MarkdownBlocks, testing::ValuesIn(kBlockCases),
                         [](const testing::TestParamInfo<BlockCase>& info) { return info.param.name; });

TEST(Markdown, LongLineSpansManyChunks) {
  // Markup and pairs far apart on one line of 100 000 units.
  std::u16string line = u"**" + std::u16string(50000, u'x') + u"\U0001F600" + std::u16string(50000, u'"') + u"`";
  std::string body = "<p><strong>" + std::string(50000, 'x') + "\xF0\x9F\x98\x80";
  for (int i = 0; i < 50000; ++i) body += "&quot;";
  body += "<code></code></strong></p>\n";
  EXPECT_EQ(Render(line), ExpectedPage(body));
}

TEST(Markdown, InlineSpansAndEscape) {
  EXPECT_EQ(RenderInlineSpans(u"a *b* `c_d`"), "a <em>b</em> <code>c_d</code>");
  EXPECT_EQ(RenderInlineSpans(u""), "");
  EXPECT_EQ(EscapeHtmlUtf8(u"*_`\t\"&'<>"), "*_`    &quot;&amp;&#39;&lt;&gt;");
  EXPECT_EQ(EscapeHtmlUtf8(u"\U00010348\xDBFF"), "\xF0\x90\x8D\x88\xEF\xBF\xBD");
}

TEST(Markdown, TitleIsEscapedFontIsNot) {
  MarkdownPageStyle style = DarkStyle();
  style.title = u"Tom & Jerry <1>.md";
  style.fontFace = u"Caf\u00E9 & Co";
  style.fontSize = 14;
  EXPECT_EQ(RenderMarkdownPage(u"x", style),
            ExpectedPage("<p>x</p>\n", "Tom &amp; Jerry &lt;1&gt;.md", "Caf\xC3\xA9 & Co", 14));
}

TEST(Markdown, BodyFont) {
  auto expect = [](std::u16string_view face, int size, std::u16string_view wantFace, int wantSize) {
    BodyFont font = PickBodyFont(face, size);
    EXPECT_TRUE(font.face == wantFace && font.size == wantSize) << std::string(face.begin(), face.end()) << size;
  };
  expect(u"cONSOLAS", 14, u"Segoe UI", 10);  // a monospaced face, in any letter case
  expect(u"Georgia", -3, u"Georgia", 10);
  expect(u"Georgia", 14, u"Georgia", 14);
  expect(u"Consolas Nerd", 11, u"Consolas Nerd", 11);
  expect(u"", 14, u"Segoe UI", 10);
}

std::vector<int64_t> Ticks(MarkdownProgress& progress, int count) {
  std::vector<int64_t> all;
  for (int t = 0; t < count; ++t) {
    int64_t posts[2] = {};
    int n = progress.Tick(posts);
    all.insert(all.end(), posts, posts + n);
  }
  return all;
}

TEST(Markdown, ProgressOfOneLine) {
  MarkdownProgress progress(1);
  EXPECT_EQ(Ticks(progress, 1), (std::vector<int64_t>{0, -1}));
  EXPECT_TRUE(Ticks(progress, 5).empty());
}

TEST(Markdown, ProgressOfThousandLines) {
  MarkdownProgress progress(1000);
  std::vector<int64_t> expected;
  for (int64_t line = 23; line < 900; line += 22) expected.push_back(line);  // 1 was posted before
  expected.push_back(900);
  expected.push_back(-1);
  EXPECT_EQ(Ticks(progress, 60), expected);
  EXPECT_EQ(expected.size(), 42u);
}

// Pages with every block kind and span must be valid HTML to an outside checker.
#ifndef _WIN32
TEST(Markdown, TidyAcceptsPages) {
  if (!OutsideReadersInstalled()) GTEST_SKIP() << "tidy is not installed";
  MarkdownPageStyle style = DarkStyle();
  style.title = u"Tom & Jerry's <notes>.md";
  EXPECT_EQ(CheckWithOutsideReaders(
                {{"blocks.html",
                  RenderMarkdownPage(u"# Title *it*\n## Sub `code`\n### Third **bold**\n#### not a heading\n\n"
                                     u"- one\n* two with snake_case\n1. first\n12. second\n- again\n\n"
                                     u"> quoted <b>&\n---\nplain \"text\" with\ttab and \u00E9 \U0001F600\n***\n___\n\r\n"
                                     u"a***b **bold** *em* _em_ `a*b*` __init__ `open\n",
                                     style)},
                 {"spans.html", RenderMarkdownPage(u"**bold *both** x*\n*a `b* c` d\n- `x\n1. **y\n> _z\n# `q", style)}}),
            "");
}
#endif

}  // namespace

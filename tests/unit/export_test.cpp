#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export/export_logic.h"
#include "export/html_export.h"
#include "export/rtf_export.h"
#include "outside_readers.h"

namespace {

// ---------------------------------------------------------------- shared logic

TEST(ExportFormats, FoundByIdOnlyInsideTheTable) {
  for (int i = 0; i < kExportFormatCount; ++i) EXPECT_EQ(FindExportFormat(i), &kExportFormats[i]);
  EXPECT_EQ(FindExportFormat(kExportFormatCount), nullptr);
  EXPECT_EQ(FindExportFormat(-1), nullptr);
}

TEST(ExportRouting, MarkdownPaths) {
  EXPECT_TRUE(IsMarkdownPath(u"C:\\notes\\NOTES.MD"));
  EXPECT_TRUE(IsMarkdownPath(u"a.Md"));
  EXPECT_TRUE(IsMarkdownPath(u".md"));  // three characters are enough
  EXPECT_FALSE(IsMarkdownPath(u"md"));
  EXPECT_FALSE(IsMarkdownPath(u"README.markdown"));
  EXPECT_FALSE(IsMarkdownPath(u"C:\\x.md\\file"));
  EXPECT_FALSE(IsMarkdownPath(u""));
}

struct NameCase {
  const char16_t* path;
  const char16_t* extension;
  const char16_t* expected;
};
void PrintTo(const NameCase& c, std::ostream* os) {
  for (const char16_t* p = c.path; *p; ++p) *os << (*p < 128 ? static_cast<char>(*p) : '?');
}
class ProposedNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(ProposedNameTest, ReplacesTheLastExtensionOfTheFileName) {
  EXPECT_EQ(ProposedExportName(GetParam().path, GetParam().extension), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Names, ProposedNameTest,
                         testing::Values(NameCase{u"C:\\docs\\report.final.txt", u".html", u"report.final.html"},
                                         NameCase{u"C:\\docs\\README", u".html", u"README.html"},
                                         NameCase{u"C:\\a.b\\README", u".html", u"README.html"},
                                         NameCase{u"/home/u/a.b/notes", u".rtf", u"notes.rtf"},
                                         NameCase{u"main.cpp", u".txt", u"main.txt"},
                                         NameCase{u"C:\\x\\.profile", u".rtf", u".rtf"},
                                         NameCase{u"", u".html", u""}));

TEST(ExportRouting, ProposedNameIsCutTo259Characters) {
  std::u16string longName = u"C:\\d\\" + std::u16string(300, u'x') + u".txt";
  EXPECT_EQ(ProposedExportName(longName, u".html"), std::u16string(259, u'x'));
  // A surrogate pair that would be cut in half goes as a whole.
  std::u16string pair = u"C:\\d\\" + std::u16string(258, u'x') + u"\U0001F600.txt";
  EXPECT_EQ(ProposedExportName(pair, u".html"), std::u16string(258, u'x'));

  EXPECT_EQ(DocumentNameOf(u""), u"Untitled");
  EXPECT_EQ(DocumentNameOf(u"C:\\a\\b.txt"), u"b.txt");
  EXPECT_EQ(DocumentNameOf(u"/a/mixed\\c.md"), u"c.md");
}

struct ElapsedCase {
  uint64_t milliseconds;
  const char16_t* expected;
};
void PrintTo(const ElapsedCase& c, std::ostream* os) { *os << c.milliseconds << " ms"; }
class ElapsedTimeTest : public testing::TestWithParam<ElapsedCase> {};

TEST_P(ElapsedTimeTest, Formats) { EXPECT_EQ(FormatElapsedTime(GetParam().milliseconds), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(Times, ElapsedTimeTest,
                         testing::Values(ElapsedCase{0, u"0.000 sec"}, ElapsedCase{1234, u"1.234 sec"},
                                         ElapsedCase{59999, u"59.999 sec"}, ElapsedCase{60000, u"1:00 min"},
                                         ElapsedCase{61500, u"1:01 min"}, ElapsedCase{3599999, u"59:59 min"},
                                         ElapsedCase{3600000, u"1:00:00"}, ElapsedCase{3723000, u"1:02:03"},
                                         ElapsedCase{90061000, u"25:01:01"}));

TEST(ExportProgress, StepsAndTexts) {
  EXPECT_LE(FormatElapsedTime(UINT64_MAX).size(), 31u);
  EXPECT_EQ(ExportProgressText(0xFFFFFFFFu, 10), u"Finalizing...");
  EXPECT_EQ(ExportProgressText(UINT64_MAX, 10), u"Finalizing...");
  EXPECT_EQ(ExportProgressText(51, 1000), u"Exporting line 51 of 1000  (5%)");
  EXPECT_EQ(ExportProgressText(1000, 1000), u"Exporting line 1000 of 1000  (100%)");
  EXPECT_EQ(ExportProgressText(7, 0), u"Exporting line 7 of 0  (0%)");
  EXPECT_EQ(RtfProgressText(-1), u"Finalizing RTF...");
  EXPECT_EQ(RtfProgressText(5), u"Writing RTF...  5%");
  EXPECT_EQ(RtfProgressText(93), u"Writing RTF...  93%");
}

// ---------------------------------------------------------------- HTML

// Theme background, a style whose background equals it, a black style (no rule), a bold-only style,
// a style with everything, and the last style.
StyleTables RichHtmlStyles() {
  StyleTables t;
  t.fore[0] = 0xD4D4D4;
  t.back[0] = 0x1E1E1E;
  t.bold[3] = true;
  t.fore[5] = 0x0000FF;
  t.back[5] = 0x332211;
  t.bold[5] = t.italic[5] = true;
  t.fore[127] = 0x00FF00;
  t.italic[127] = true;
  return t;
}

const StyleTables kRichHtmlStyles = RichHtmlStyles();

// "int" in style 5 (one byte written as 0x85), a blank, "a<b>" bold, every escaped byte and a CRLF,
// then a black "x" and a final line feed. 0x80 folds to style 0.
const std::string kRichText = "int a<b>\t&\"'\r\nx\n";
const std::string kRichStyles{"\x05\x05\x85\x00\x03\x03\x03\x03\x00\x80\x00\x00\x00\x00\x01\x00", 16};

std::string BuildPage(std::string_view text, std::string_view styles, std::string title) {
  HtmlExportInput input;
  input.text = text;
  input.styles = styles;
  input.title = std::move(title);
  input.fontFace = "Consolas";
  input.background = 0x1E1E1E;
  input.styleTables = &kRichHtmlStyles;
  std::string out;
  EXPECT_TRUE(BuildHtmlExport(input, out, {}, {}));
  return out;
}

std::string RichPage() { return BuildPage(kRichText, kRichStyles, "sample.cpp"); }
std::string EscapedTitlePage() { return BuildPage("x", "\x01", "Tom & Jerry <\"1\">'s.txt"); }

TEST(HtmlExport, RichDocumentByteForByte) {
  const std::string expected =
      "<!DOCTYPE html>\n<html>\n<head>\n"
      "    <meta charset=\"UTF-8\">\n"
      "    <meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">\n"
      "    <title>sample.cpp - Norvo Export</title>\n"
      "    <style>\n"
      "        * { margin: 0; padding: 0; box-sizing: border-box; }\n"
      "        body { background-color: #1E1E1E; font-family: 'Consolas', monospace; font-size: 11pt; "
      "line-height: 1.5; }\n"
      "        .code-container { display: flex; flex-direction: row; min-height: 100vh; }\n"
      "        .line-numbers { background-color: #1E1E1E; color: #606060; text-align: right; "
      "padding: 20px 10px 20px 20px; user-select: none; border-right: 1px solid #444; "
      "font-family: 'Consolas', monospace; font-size: 11pt; line-height: 1.5; min-width: 50px; }\n"
      "        .line-number { height: 1.5em; line-height: 1.5em; white-space: pre; }\n"
      "        .code-content { background-color: #1E1E1E; padding: 20px; flex: 1; overflow-x: auto; "
      "font-family: 'Consolas', monospace; font-size: 11pt; }\n"
      "        .code-line { height: 1.5em; line-height: 1.5em; white-space: pre; }\n"
      "        .s0 { color: #D4D4D4; }\n"
      "        .s3 { font-weight: bold; }\n"
      "        .s5 { color: #FF0000; background-color: #112233; font-weight: bold; font-style: italic; }\n"
      "        .s127 { color: #00FF00; font-style: italic; }\n"
      "    </style>\n</head>\n<body>\n"
      "<div class=\"code-container\">\n"
      "    <div class=\"line-numbers\">\n"
      "        <div class=\"line-number\">1</div>\n"
      "        <div class=\"line-number\">2</div>\n"
      "        <div class=\"line-number\">3</div>\n"
      "    </div>\n"
      "    <div class=\"code-content\">\n"
      "        <div class=\"code-line\"><span class=\"s5\">int</span><span class=\"s0\"> </span>"
      "<span class=\"s3\">a&lt;b&gt;</span><span class=\"s0\">    &amp;&quot;&#39;\r</span></div>\n"
      "        <div class=\"code-line\"><span class=\"s1\">x</span></div>\n"
      "        <div class=\"code-line\"></div>\n"
      "    </div>\n</div>\n</body>\n</html>";
  EXPECT_EQ(RichPage(), expected);
}

TEST(HtmlExport, EmptyDocumentIsOneEmptyLine) {
  std::string page = BuildPage("", "", "Untitled");
  EXPECT_NE(page.find("<div class=\"line-number\">1</div>\n    </div>\n"), std::string::npos);
  EXPECT_EQ(page.find("<div class=\"line-number\">2</div>"), std::string::npos);
  EXPECT_NE(page.find("<div class=\"code-content\">\n        <div class=\"code-line\"></div>\n    </div>\n"),
            std::string::npos);
  // A last line without a line feed ends at the end of the text.
  page = BuildPage("a\nb", "\x01\x01\x02", "t");
  EXPECT_NE(page.find("\"code-line\"><span class=\"s1\">a</span></div>\n        <div class=\"code-line\">"
                      "<span class=\"s2\">b</span></div>\n    </div>"),
            std::string::npos);
}

TEST(HtmlExport, TitleAndTextEscapes) {
  EXPECT_NE(EscapedTitlePage().find("<title>Tom &amp; Jerry &lt;&quot;1&quot;&gt;&#39;s.txt - Norvo Export</title>"),
            std::string::npos);
  EXPECT_EQ(EscapeHtmlBytes("\t\"&'<>\r\xE2\x82\xAC ok"), "    &quot;&amp;&#39;&lt;&gt;\r\xE2\x82\xAC ok");
  EXPECT_EQ(ColorToHex(0x00332211), "#112233");
  EXPECT_EQ(ColorToHex(0xFF0000FF), "#FF0000");
}

struct ProgressCase {
  int lines;
  size_t calls;
  int second;
  int last;
};
void PrintTo(const ProgressCase& c, std::ostream* os) { *os << c.lines << " lines"; }
class HtmlProgressTest : public testing::TestWithParam<ProgressCase> {};

TEST_P(HtmlProgressTest, ReportsEveryStepOfLines) {
  const ProgressCase& c = GetParam();
  std::string text(static_cast<size_t>(c.lines - 1), '\n');
  HtmlExportInput input;
  input.text = text;
  input.styles = std::string(text.size(), '\0');
  input.styleTables = &kRichHtmlStyles;
  std::string out;
  int asks = 0;
  std::vector<int> reported;
  ASSERT_TRUE(BuildHtmlExport(
      input, out,
      [&] {
        ++asks;
        return false;
      },
      [&](int line) { reported.push_back(line); }));
  EXPECT_EQ(asks, c.lines);
  ASSERT_EQ(reported.size(), c.calls);
  EXPECT_EQ(reported[0], 1);
  EXPECT_EQ(reported[1], c.second);
  EXPECT_EQ(reported.back(), c.last);
}

INSTANTIATE_TEST_SUITE_P(Steps, HtmlProgressTest,
                         testing::Values(ProgressCase{1000, 20, 51, 951}, ProgressCase{1001, 101, 11, 1001},
                                         ProgressCase{20000, 100, 201, 19801}));

TEST(HtmlExport, CancelStopsAtOnce) {
  std::string text(200, '\n');
  HtmlExportInput input;
  input.text = text;
  std::string out;
  int asks = 0;
  std::vector<int> reported;
  auto progress = [&](int line) { reported.push_back(line); };
  EXPECT_FALSE(BuildHtmlExport(input, out, [&] { return ++asks == 3; }, progress));
  EXPECT_EQ(asks, 3);
  EXPECT_EQ(reported, std::vector<int>{1});

  reported.clear();
  EXPECT_FALSE(BuildHtmlExport(input, out, [] { return true; }, progress));
  EXPECT_TRUE(reported.empty());
}

TEST(HtmlExport, StreamedPageEqualsTheBuiltOneAndStopsWhenWritingFails) {
  // About 3 MB of styled lines, so that the page comes in several pieces.
  std::string text, styles;
  for (int i = 0; text.size() < 3'000'000; ++i) {
    std::string line = "int x" + std::to_string(i) + " = \"<a & b>\";\t// note\r\n";
    text += line;
    for (size_t k = 0; k < line.size(); ++k) styles += static_cast<char>(k % 7);
  }
  HtmlExportInput input;
  input.text = text;
  input.styles = styles;
  input.title = "big.cpp";
  input.styleTables = &kRichHtmlStyles;
  std::string whole;
  ASSERT_TRUE(BuildHtmlExport(input, whole, {}, {}));
  std::string streamed;
  int pieces = 0;
  ASSERT_TRUE(StreamHtmlExport(
      input,
      [&](std::string_view piece) {
        EXPECT_LE(piece.size(), (1u << 20) + 4096);
        streamed += piece;
        ++pieces;
        return true;
      },
      {}, {}));
  EXPECT_EQ(streamed, whole);
  EXPECT_GT(pieces, 3);

  int calls = 0;
  EXPECT_FALSE(StreamHtmlExport(input, [&](std::string_view) { return ++calls < 2; }, {}, {}));
  EXPECT_EQ(calls, 2);
}

// ---------------------------------------------------------------- RTF

const std::string kRtfHead =
    "{\\rtf1\\ansi\\ansicpg1252\\deff0\\nouicompat\r\n{\\fonttbl{\\f0\\fmodern\\fcharset0 Consolas;}}\r\n";

TEST(RtfExport, SmallDocumentByteForByte) {
  RtfStyleTables tables;
  EXPECT_EQ(BuildRtf("{}\\", std::string(3, '\0'), tables, false, "Consolas", 11),
            kRtfHead +
                "{\\colortbl ;\\red0\\green0\\blue0;}\r\n\\viewkind4\\uc1\\pard\\sl0\\slmult0\\f0\\fs22 "
                "{\\cf1 \\{\\}\\\\}\r\n}\r\n");
}

TEST(RtfExport, ColoursRunsAndAttributes) {
  RtfStyleTables tables;
  tables.fore[0] = 0xDCDCDC;  // luminance 220: darkened to 77
  tables.fore[1] = 0xB4B4B4;  // luminance 180: kept
  tables.fore[2] = 0xDCDCDC;  // shares entry 1
  tables.bold[1] = true;
  tables.italic[2] = true;
  tables.bold[3] = tables.italic[3] = true;
  EXPECT_EQ(DarkenForPaper(0xDCDCDC), 0x4D4D4Du);
  EXPECT_EQ(DarkenForPaper(0xB4B4B4), 0xB4B4B4u);
  EXPECT_EQ(DarkenForPaper(0x0000FF), 0x0000FFu);  // pure red is dark enough

  // Style 0x81 counts as style 0 and so joins the run before it.
  std::string rtf =
      BuildRtf("abcdefg", std::string("\x00\x81\x01\x01\x02\x03\x00", 7), tables, true, "Consolas", 10);
  EXPECT_EQ(rtf, kRtfHead +
                     "{\\colortbl ;\\red77\\green77\\blue77;\\red180\\green180\\blue180;\\red0\\green0\\blue0;}"
                     "\r\n\\viewkind4\\uc1\\pard\\sl0\\slmult0\\f0\\fs20 "
                     "{\\cf1 ab}{\\cf2 \\b cd\\b0 }{\\cf1 \\i e\\i0 }{\\cf3 \\b \\i f\\b0 \\i0 }{\\cf1 g}\r\n}\r\n");

  // In a light theme nothing is darkened.
  EXPECT_NE(BuildRtf("a", "", tables, false, "Consolas", 10).find("{\\colortbl ;\\red220\\green220\\blue220;"),
            std::string::npos);
  // A character split between two runs leaves no sequence whole in either.
  EXPECT_NE(BuildRtf("\xE2\x82\xAC", "\x01\x02\x02", tables, false, "F", 10).find("{\\cf2 \\b ?\\b0 }{\\cf1 \\i ??\\i0 }"),
            std::string::npos);
}

struct EscapeCase {
  const char* run;
  const char* expected;
};
void PrintTo(const EscapeCase& c, std::ostream* os) { *os << testing::PrintToString(std::string(c.run)); }
class RtfEscapeTest : public testing::TestWithParam<EscapeCase> {};

TEST_P(RtfEscapeTest, Escapes) {
  std::string out = "<";
  AppendRtfEscaped(out, GetParam().run);
  EXPECT_EQ(out, std::string("<") + GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, RtfEscapeTest,
    testing::Values(EscapeCase{"{x}\\y", "\\{x\\}\\\\y"}, EscapeCase{"a\r\nb\r\n", "a\\par\r\nb\\par\r\n"},
                    EscapeCase{"a\rb", "ab"}, EscapeCase{"a\tb", "a\\tab b"},
                    EscapeCase{"\xC3\xA9t\xC3\xA9", "\\u233?t\\u233?"}, EscapeCase{"\xE2\x82\xAC", "\\u8364?"},
                    EscapeCase{"\xEF\xBF\xBD", "\\u-3?"}, EscapeCase{"\xF0\x9F\x98\x80!", "?!"},
                    EscapeCase{"a\x80z", "a?z"}, EscapeCase{"\xFF", "?"}, EscapeCase{"\xE2\x82", "??"},
                    EscapeCase{"\xC3(", "?("}, EscapeCase{"\xC0\x80", "??"}, EscapeCase{"\xED\xA0\x80", "???"}));

// ---------------------------------------------------------------- outside readers

#ifndef _WIN32
TEST(OutsideReaders, TidyAcceptsThePagesAndUnrtfReadsTheDocumentBack) {
  if (!OutsideReadersInstalled()) GTEST_SKIP() << "tidy or unrtf is not installed";
  const std::string text =
      "{braces} and \\back\\slash\\\tafter a tab\r\n"
      "Euro \xE2\x82\xAC and replacement \xEF\xBF\xBD here\r\n"
      "bold, italic; and\ttwo\ttabs\r\n"
      "last line\r\n";
  // A new style after every blank, so runs end on whole characters.
  std::string styles;
  unsigned char style = 0;
  for (char c : text) {
    styles += static_cast<char>(style);
    if (c == ' ') style = static_cast<unsigned char>((style + 1) % 4);
  }
  RtfStyleTables tables;
  tables.fore[1] = 0x0000FF;
  tables.bold[2] = true;
  tables.italic[3] = true;
  EXPECT_EQ(CheckWithOutsideReaders({{"rich.html", RichPage()},
                                     {"title.html", EscapedTitlePage()},
                                     {"rich.rtf", BuildRtf(text, styles, tables, false, "Consolas", 11)},
                                     {"rich.rtf.txt", text}}),
            "");
}
#endif

}  // namespace

// Found by fuzzing (tests/fuzz/regressions/html_export, rtf_export): the font name comes from the
// settings file and went into the style sheet and the RTF font table as it stood.
TEST(ExportFontNames, CannotLeaveTheStyleSheetString) {
  EXPECT_EQ(CssFontName("Consolas"), "Consolas");
  EXPECT_EQ(CssFontName("Noto Sans \xE4\xB8\xAD"), "Noto Sans \xE4\xB8\xAD");
  EXPECT_EQ(CssFontName("a'</style><script>x;{}\"\\\n"), "a/stylescriptx");
  StyleTables tables;
  HtmlExportInput input;
  input.text = "x";
  input.styles = std::string_view("\0", 1);
  input.fontFace = "x'; } </style><b>";
  input.styleTables = &tables;
  std::string page;
  ASSERT_TRUE(BuildHtmlExport(input, page, nullptr, nullptr));
  EXPECT_EQ(page.find("</style><b>"), std::string::npos);
  EXPECT_NE(page.find("font-family: 'x  /styleb', monospace"), std::string::npos);
}

TEST(ExportFontNames, KeepTheRtfFontTableWhole) {
  RtfStyleTables tables;
  const std::string rtf = BuildRtf("a", "", tables, false, "Bad}{\\Font;\r\n\xC3\xA9", 10);
  EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fmodern\\fcharset0 Bad\\}\\{\\\\Font\\u233?;}}"), std::string::npos) << rtf;
}

// Found by fuzzing (tests/fuzz/regressions/rtf_export): a four-byte form above U+10FFFF was taken
// as one astral character; it is four invalid bytes, as everywhere else in the program.
TEST(RtfEscaping, FormsPastTheLastCodePointAreInvalidBytes) {
  std::string out;
  AppendRtfEscaped(out, "a\xF7\x8A\x8A\x8A" "b\xF4\x90\x80\x80" "c\xF0\x9F\x98\x80");
  EXPECT_EQ(out, "a????b????c?");
}

// The PDF writer, TrueType subsetting and the text layer, checked against the file formats'
// rules and, on the native build, against outside readers (qpdf, pdftotext, pdffonts).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "print/pdf_canvas.h"
#include "print/pdf_font.h"
#include "print/pdf_layout.h"
#include "print/pdf_writer.h"
#include "print/truetype.h"
#include "outside_readers.h"

namespace {

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// A face from the archive's DejaVu package, when the machine has it.
std::optional<TrueTypeFont> Dejavu(const char* file = "DejaVuSans.ttf") {
  const std::filesystem::path path = std::filesystem::path("/usr/share/fonts/truetype/dejavu") / file;
  if (!std::filesystem::exists(path)) return std::nullopt;
  return TrueTypeFont::Parse(ReadFile(path));
}

// A one-page document with `lines` in the face, written through the writer.
[[maybe_unused]] std::string OnePage(const TrueTypeFont& face, const std::vector<std::u16string>& lines) {
  std::string out;
  PdfWriter pdf([&out](std::string_view bytes) {
    out += bytes;
    return true;
  });
  PdfFontUse font(face);
  const int catalog = pdf.Reserve(), pages = pdf.Reserve(), page = pdf.Reserve(), content = pdf.Reserve(),
            fontObject = pdf.Reserve();
  std::string text = "BT /F1 12 Tf 14 TL 72 770 Td\n";
  for (const std::u16string& line : lines) text += font.Encode(line) + " Tj T*\n";
  text += "ET\n";
  EXPECT_TRUE(pdf.Object(catalog, "<< /Type /Catalog /Pages " + std::to_string(pages) + " 0 R >>"));
  EXPECT_TRUE(pdf.Object(pages, "<< /Type /Pages /Kids [" + std::to_string(page) + " 0 R] /Count 1 >>"));
  EXPECT_TRUE(pdf.Object(page, "<< /Type /Page /Parent " + std::to_string(pages) +
                                   " 0 R /MediaBox [0 0 595.28 841.89] /Resources << /Font << /F1 " +
                                   std::to_string(fontObject) + " 0 R >> >> /Contents " + std::to_string(content) +
                                   " 0 R >>"));
  EXPECT_TRUE(pdf.Stream(content, "", text));
  EXPECT_TRUE(font.Write(pdf, fontObject));
  EXPECT_TRUE(pdf.Finish(catalog));
  return out;
}

TEST(PdfWriter, CrossReferenceOffsetsPointAtTheirObjects) {
  std::string out;
  PdfWriter pdf([&out](std::string_view bytes) {
    out += bytes;
    return true;
  });
  const int a = pdf.Reserve(), b = pdf.Reserve(), c = pdf.Reserve();
  // Written out of order, one of them a compressed stream.
  ASSERT_TRUE(pdf.Object(b, "<< /Type /Pages /Kids [] /Count 0 >>"));
  ASSERT_TRUE(pdf.Stream(c, "", std::string(5000, 'x')));
  ASSERT_TRUE(pdf.Object(a, "<< /Type /Catalog /Pages 2 0 R >>"));
  ASSERT_TRUE(pdf.Finish(a));
  EXPECT_EQ(pdf.BytesWritten(), out.size());
  const size_t xref = out.rfind("\nxref\n") + 1;
  ASSERT_NE(xref, 0u);
  EXPECT_NE(out.find("startxref\n" + std::to_string(xref) + "\n%%EOF"), std::string::npos);
  std::istringstream table(out.substr(xref + 5));
  int first = -1, count = 0;
  table >> first >> count;
  EXPECT_EQ(first, 0);
  EXPECT_EQ(count, 4);
  std::string line;
  std::getline(table, line);
  std::getline(table, line);
  EXPECT_EQ(line, "0000000000 65535 f ");
  for (int n = 1; n <= 3; ++n) {
    std::getline(table, line);
    ASSERT_EQ(line.size(), 19u);  // each entry is 20 bytes with its line end
    const size_t offset = std::stoull(line.substr(0, 10));
    EXPECT_EQ(out.compare(offset, std::to_string(n).size() + 6, std::to_string(n) + " 0 obj"), 0) << n;
  }
  EXPECT_LT(out.size(), 1000u);  // the stream went in compressed
}

TEST(PdfWriter, ObjectsWrittenTwiceOrNeverFailTheFile) {
  std::string out;
  PdfWriter twice([&out](std::string_view bytes) {
    out += bytes;
    return true;
  });
  const int a = twice.Reserve();
  EXPECT_TRUE(twice.Object(a, "1"));
  EXPECT_FALSE(twice.Object(a, "2"));
  EXPECT_FALSE(twice.Finish(a));

  PdfWriter never([](std::string_view) { return true; });
  const int b = never.Reserve();
  never.Reserve();
  EXPECT_TRUE(never.Object(b, "<< >>"));
  EXPECT_FALSE(never.Finish(b));

  int calls = 0;
  PdfWriter full([&calls](std::string_view) { return ++calls < 3; });  // the disk fills up
  const int c = full.Reserve();
  full.Object(c, "<< >>");
  EXPECT_FALSE(full.Finish(c));
  EXPECT_TRUE(full.Failed());
}

TEST(PdfWriter, LiteralsAndNumbers) {
  EXPECT_EQ(PdfLiteral("a(b)c\\d"), "(a\\(b\\)c\\\\d)");
  EXPECT_EQ(PdfNumber(12), "12");
  EXPECT_EQ(PdfNumber(0.5), "0.5");
  EXPECT_EQ(PdfNumber(-0.001), "0");
  EXPECT_EQ(PdfNumber(595.2756), "595.28");
  EXPECT_EQ(PdfNumber(1e300), "1000000000");
}

TEST(ToUnicode, BmpAndAstralCharacters) {
  const std::string cmap = ToUnicodeCMap({{3, U"A"}, {0x1F4, U"\u00E9"}, {0x2A, U"\U0001F600"}});
  EXPECT_NE(cmap.find("3 beginbfchar\n"), std::string::npos);
  EXPECT_NE(cmap.find("<0003> <0041>\n"), std::string::npos);
  EXPECT_NE(cmap.find("<01F4> <00E9>\n"), std::string::npos);
  EXPECT_NE(cmap.find("<002A> <D83DDE00>\n"), std::string::npos);
  EXPECT_EQ(CodePoints(u"a\U0001F600\xD800z"), std::u32string(U"a\U0001F600\uFFFDz"));
}

TEST(ToUnicode, BlocksHoldAtMostAHundredEntries) {
  std::map<uint16_t, std::u32string> many;
  for (uint16_t g = 1; g <= 250; ++g) many[g] = std::u32string(1, static_cast<char32_t>(0x40 + g));
  const std::string cmap = ToUnicodeCMap(many);
  EXPECT_NE(cmap.find("100 beginbfchar"), std::string::npos);
  EXPECT_NE(cmap.find("50 beginbfchar"), std::string::npos);
}

TEST(TrueType, ReadsMetricsGlyphsAndWidths) {
  auto face = Dejavu();
  if (!face) GTEST_SKIP() << "DejaVu Sans is not installed";
  EXPECT_EQ(face->Metrics().unitsPerEm, 2048);
  EXPECT_EQ(face->Metrics().postScriptName, "DejaVuSans");
  EXPECT_GT(face->GlyphCount(), 3000u);
  const uint16_t a = face->GlyphOf(U'A');
  EXPECT_NE(a, 0);
  EXPECT_NE(face->GlyphOf(U'\u00E9'), a);
  EXPECT_EQ(face->GlyphOf(U'\U0010FFFD'), 0);  // not in the font: the missing-glyph box
  EXPECT_GT(face->AdvanceOf(a), 1000);
  EXPECT_LT(face->AdvanceOf(a), 2048);
  auto mono = Dejavu("DejaVuSansMono.ttf");
  ASSERT_TRUE(mono);
  EXPECT_TRUE(mono->Metrics().fixedPitch);
  EXPECT_EQ(mono->AdvanceOf(mono->GlyphOf(U'i')), mono->AdvanceOf(mono->GlyphOf(U'W')));
}

TEST(TrueType, ASubsetKeepsTheUsedGlyphsAndTheirParts) {
  auto face = Dejavu();
  if (!face) GTEST_SKIP() << "DejaVu Sans is not installed";
  // Some accented letters are composites of a base letter and an accent.
  std::set<uint16_t> composite;
  uint16_t accented = 0;
  for (char32_t c : {U'\u01FA', U'\u1EA4', U'\u00C5', U'\u0104'}) {
    std::set<uint16_t> parts;
    face->CollectGlyph(face->GlyphOf(c), parts);
    if (parts.size() > 1) {
      accented = face->GlyphOf(c);
      composite = parts;
      break;
    }
  }
  ASSERT_NE(accented, 0) << "no composite glyph found";
  const std::string subset = face->Subset({accented});
  auto reread = TrueTypeFont::Parse(subset);
  ASSERT_TRUE(reread);
  EXPECT_EQ(reread->GlyphCount(), *composite.rbegin() + 1u);  // glyph numbers stay as they are
  EXPECT_EQ(reread->AdvanceOf(accented), face->AdvanceOf(accented));
  std::set<uint16_t> again;
  reread->CollectGlyph(accented, again);
  EXPECT_EQ(again, composite);  // every part is still there
  EXPECT_LT(Deflate(subset).size(), 30'000u);
  EXPECT_EQ(SubsetTag({1, 2, 3}).size(), 6u);
  EXPECT_NE(SubsetTag({1, 2, 3}), SubsetTag({1, 2, 4}));
}

TEST(TrueType, RefusesWhatIsNotAFont) {
  EXPECT_FALSE(TrueTypeFont::Parse(""));
  EXPECT_FALSE(TrueTypeFont::Parse(std::string(100, '\0')));
  EXPECT_FALSE(TrueTypeFont::Parse("OTTO" + std::string(200, '\1')));  // CFF outlines
  auto face = Dejavu();
  if (!face) return;
  // Cut short anywhere, the data is refused or read without reading past its end.
  const std::string whole = face->Subset({face->GlyphOf(U'x')});
  for (size_t cut : {12u, 100u, 300u, 1000u, 5000u}) {
    auto part = TrueTypeFont::Parse(whole.substr(0, std::min(cut, whole.size())));
    if (part) part->Subset({part->GlyphOf(U'x')});
  }
}

TEST(ExternalReaders, APageWithEmbeddedSubsetsReadsBack) {
#ifdef _WIN32
  GTEST_SKIP() << "qpdf, pdffonts and pdftotext run on the native build";
#else
  auto face = Dejavu();
  if (!face || !std::filesystem::exists("/usr/bin/qpdf")) GTEST_SKIP() << "DejaVu or qpdf missing";
  const std::string pdf = OnePage(*face, {u"Hello, world (PDF) \\ test", u"Caf\u00E9 na\u00EFve \u0104", u"third line"});
  EXPECT_EQ(CheckWithOutsideReaders({{"page.pdf", pdf},
                                     {"page.pdf.txt", "Hello, world (PDF) \\ test\nCaf\xC3\xA9 na\xC3\xAFve \xC4\x84\nthird line\n"}}),
            "");
  EXPECT_LT(pdf.size(), 30'000u);
#endif
}

TEST(PdfLayout, PrintColours) {
  EXPECT_EQ(PrintColor(0xD4D4D4), 0x5F5F5Fu);  // light text darkened for paper
  EXPECT_EQ(PrintColor(0x131313), 0u);         // luma 19: black
  EXPECT_EQ(PrintColor(0x141414), 0x141414u);  // luma 20 stays
  EXPECT_EQ(PrintColor(0x00D69C56), 0x00D69C56u & 0xFFFFFF);
  EXPECT_EQ(EstimatePdfPages(55), 1);
  EXPECT_EQ(EstimatePdfPages(56), 2);
  EXPECT_EQ(EstimatePdfPages(0), 0);
}

std::vector<std::u16string> Texts(const StyledLine& line) {
  std::vector<std::u16string> out;
  for (const StyledRun& run : line) out.push_back(run.text);
  return out;
}

TEST(PdfLayout, WrapsAtSpacesAndNeverSplitsAWord) {
  const MeasureRun tenEach = [](const StyledRun&, std::u16string_view piece) { return static_cast<int>(piece.size()) * 10; };
  StyledRun plain{u"aaaa bbbb cccc", 0, false, false};
  auto wrapped = WrapStyledLine({plain}, 100, tenEach);
  ASSERT_EQ(wrapped.size(), 2u);
  EXPECT_EQ(Texts(wrapped[0]), std::vector<std::u16string>{u"aaaa bbbb "});  // the space stays above
  EXPECT_EQ(Texts(wrapped[1]), std::vector<std::u16string>{u"cccc"});

  StyledRun word{std::u16string(30, u'x'), 0, false, false};
  EXPECT_EQ(WrapStyledLine({word}, 100, tenEach).size(), 1u);  // runs past the margin instead
  EXPECT_EQ(WrapStyledLine({}, 100, tenEach).size(), 1u);      // an empty line still takes a line

  // Pieces of one look join; another look is another segment, also across runs.
  StyledRun a{u"int ", 0xFF, true, false}, b{u"x ", 0, false, false}, c{u"= 1;", 0, false, false};
  auto looks = WrapStyledLine({a, b, c}, 1000, tenEach);
  ASSERT_EQ(looks.size(), 1u);
  EXPECT_EQ(Texts(looks[0]), (std::vector<std::u16string>{u"int ", u"x = 1;"}));
}

// Fonts for the canvas from the archive's DejaVu files.
std::optional<FontFile> DejavuFiles(const FontRequest& request) {
  std::string name = request.face == u"DejaVu Sans Mono" ? "DejaVuSansMono" : "DejaVuSans";
  if (request.bold && request.italic) name += "-BoldOblique";
  else if (request.bold) name += "-Bold";
  else if (request.italic) name += "-Oblique";
  const std::filesystem::path path = "/usr/share/fonts/truetype/dejavu/" + name + ".ttf";
  if (!std::filesystem::exists(path)) return std::nullopt;
  return FontFile{ReadFile(path), 0};
}

TEST(PdfCanvas, MeasuresWithTheWidthsItPlacesGlyphsWith) {
  if (!DejavuFiles({u"DejaVu Sans Mono", -100, false, false})) GTEST_SKIP() << "DejaVu is not installed";
  std::string out;
  PdfCanvas canvas([&out](std::string_view b) { out += b; return true; }, DejavuFiles);
  const int mono = canvas.MakeFont({u"DejaVu Sans Mono", -100, false, false});
  ASSERT_NE(mono, 0);
  canvas.SelectFont(mono);
  EXPECT_EQ(canvas.Measure(u"iii"), canvas.Measure(u"WWW"));
  EXPECT_NEAR(canvas.Measure(u"0123456789"), 10 * 100 * 1233 / 2048, 2);  // DejaVu Sans Mono: 1233 units
  EXPECT_GT(canvas.TextHeight(), 100);
  EXPECT_EQ(canvas.MakeFont({u"DejaVu Sans", -100, true, true}), mono + 1);
  EXPECT_EQ(canvas.MakeFont({u"", -100, false, false}), mono + 2);  // any face: the source decides
  canvas.Abort();
  EXPECT_FALSE(canvas.Finish());
}

TEST(ExternalReaders, CanvasPagesReadBackInOrder) {
#ifdef _WIN32
  GTEST_SKIP() << "qpdf, pdffonts and pdftotext run on the native build";
#else
  if (!DejavuFiles({u"DejaVu Sans Mono", -100, false, false}) || !std::filesystem::exists("/usr/bin/qpdf"))
    GTEST_SKIP() << "DejaVu or qpdf missing";
  std::string pdf, expected;
  PdfCanvas canvas([&pdf](std::string_view b) { pdf += b; return true; }, DejavuFiles);
  const int body = canvas.MakeFont({u"DejaVu Sans Mono", -92, false, false});
  const int bold = canvas.MakeFont({u"DejaVu Sans Mono", -92, true, false});
  for (int page = 1; page <= 3; ++page) {
    ASSERT_TRUE(canvas.StartPage());
    canvas.SelectFont(body);
    canvas.SetTextColour(0x808080);
    canvas.PlaceText(472, 472, u"page " + std::u16string(1, static_cast<char16_t>(u'0' + page)) + u" first");
    canvas.SelectFont(bold);
    canvas.SetTextColour(0x0000FF);
    canvas.PlaceText(472, 600, u"\u00E9t\u00E9 \U0001F600 end");
    canvas.DrawLine(472, 700, 4488, 700, 6, 0);
    ASSERT_TRUE(canvas.EndPage());
    expected += "page " + std::to_string(page) + " first\n\xC3\xA9t\xC3\xA9 \xF0\x9F\x98\x80 end\n";
  }
  ASSERT_TRUE(canvas.Finish());
  EXPECT_EQ(canvas.PageCount(), 3);
  EXPECT_EQ(CheckWithOutsideReaders({{"pages.pdf", pdf}, {"pages.pdf.txt", expected}}), "");
#endif
}

TEST(ExternalReaders, CharactersTheFaceLacksStayInTheText) {
#ifdef _WIN32
  GTEST_SKIP() << "qpdf, pdffonts and pdftotext run on the native build";
#else
  auto mono = Dejavu("DejaVuSansMono.ttf"), sans = Dejavu();
  if (!mono || !sans || !std::filesystem::exists("/usr/bin/qpdf")) GTEST_SKIP() << "DejaVu or qpdf missing";
  char32_t borrowed = 0;  // in DejaVu Sans, not in DejaVu Sans Mono
  for (char32_t c = 0x2100; c < 0x2C00 && !borrowed; ++c)
    if (mono->GlyphOf(c) == 0 && sans->GlyphOf(c) != 0) borrowed = c;
  ASSERT_NE(borrowed, 0u);
  std::string pdf;
  PdfCanvas canvas([&pdf](std::string_view b) { pdf += b; return true; }, [](const FontRequest& r) {
    return DejavuFiles({r.face == u"DejaVu Sans Mono" ? r.face : u"DejaVu Sans", r.height, r.bold, r.italic});
  });
  canvas.SelectFont(canvas.MakeFont({u"DejaVu Sans Mono", -100, false, false}));
  ASSERT_TRUE(canvas.StartPage());
  std::u16string line = u"mono ";
  line += static_cast<char16_t>(borrowed);
  line += u" and \u4E2D\u6587 end";  // no DejaVu face has these: boxes, but the text stays
  canvas.PlaceText(472, 472, line);
  EXPECT_GT(canvas.Measure(line), 0);
  ASSERT_TRUE(canvas.EndPage());
  ASSERT_TRUE(canvas.Finish());
  std::string expected = "mono ";
  char utf8[5] = {};
  if (borrowed < 0x800) {
    utf8[0] = static_cast<char>(0xC0 | borrowed >> 6), utf8[1] = static_cast<char>(0x80 | (borrowed & 0x3F));
  } else {
    utf8[0] = static_cast<char>(0xE0 | borrowed >> 12), utf8[1] = static_cast<char>(0x80 | (borrowed >> 6 & 0x3F)),
    utf8[2] = static_cast<char>(0x80 | (borrowed & 0x3F));
  }
  expected += utf8;
  expected += " and \xE4\xB8\xAD\xE6\x96\x87 end\n";
  EXPECT_EQ(CheckWithOutsideReaders({{"lacks.pdf", pdf}, {"lacks.pdf.txt", expected}}), "");
  EXPECT_NE(pdf.find("+DejaVuSans "), std::string::npos);  // the fallback face is embedded too
#endif
}

}  // namespace

// Found by fuzzing (tests/fuzz/regressions/truetype): a font's PostScript name went into the PDF
// as a name with '%', '#', '{' and '}' in it, where '%' starts a comment and '#' an escape.
TEST(TrueType, PostScriptNameKeepsOnlyCharactersOfAPdfName) {
  const std::filesystem::path path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  if (!std::filesystem::exists(path)) GTEST_SKIP() << "DejaVu Sans is not installed";
  std::string data = ReadFile(path);
  const std::string wide("\0D\0e\0j\0a", 8), odd("\0%\0#\0{\0}", 8);
  for (size_t at = data.find(wide); at != std::string::npos; at = data.find(wide, at + 1)) data.replace(at, 8, odd);
  for (size_t at = data.find("DejaVuSans"); at != std::string::npos; at = data.find("DejaVuSans", at + 1))
    data.replace(at, 4, "%#{}");
  const auto face = TrueTypeFont::Parse(data);
  ASSERT_TRUE(face.has_value());
  EXPECT_EQ(face->Metrics().postScriptName, "VuSans");
}

// The program's own PDF writer with the system's fonts, read through GetFontData; the file is
// kept for the outside readers (qpdf, pdffonts, pdftotext) that run after the tests.
#include "common/win.h"  // before the other system headers

#include <string>

#include "common/utf.h"
#include "harness.h"
#include "print/font_source_win.h"
#include "print/pdf_canvas.h"

namespace {

TEST(PdfCanvasWithSystemFonts, WritesPagesOfRealText) {
  std::string pdf;
  PdfCanvas canvas([&pdf](std::string_view bytes) { pdf += bytes; return true; }, SystemFontFile);
  const PageGeometry page = canvas.Geometry();
  const int height = -MulDiv(10, page.dpiY, 72);
  const int variants[4] = {canvas.MakeFont({u"Consolas", height, false, false}),
                           canvas.MakeFont({u"Consolas", height, false, true}),
                           canvas.MakeFont({u"Consolas", height, true, false}),
                           canvas.MakeFont({u"Consolas", height, true, true})};
  for (int font : variants) ASSERT_NE(font, 0);
  const int footer = canvas.MakeFont({u"Segoe UI", -MulDiv(8, page.dpiY, 72), false, false});
  ASSERT_NE(footer, 0);
  std::string expected;
  for (int p = 1; p <= 2; ++p) {
    ASSERT_TRUE(canvas.StartPage());
    int y = 472;
    for (int v = 0; v < 4; ++v) {
      canvas.SelectFont(variants[v]);
      canvas.SetTextColour(v == 0 ? 0 : 0x00C00000);
      const std::u16string line = u"page " + DecimalText(static_cast<unsigned>(p)) + u" variant " +
                                  DecimalText(static_cast<unsigned>(v)) + u" caf\u00E9 {x = 1;}";
      canvas.PlaceText(472, y, line);
      expected += Utf16ToUtf8(line) + "\n";
      y += canvas.TextHeight() + 2;
    }
    canvas.SelectFont(footer);
    const std::u16string number = u"- " + DecimalText(static_cast<unsigned>(p)) + u" -";
    canvas.SetTextColour(0x808080);
    canvas.PlaceText((page.width - canvas.Measure(number)) / 2, page.height - 600, number);
    expected += Utf16ToUtf8(number) + "\n";
    ASSERT_TRUE(canvas.EndPage());
  }
  ASSERT_TRUE(canvas.Finish());
  EXPECT_EQ(canvas.PageCount(), 2);
  EXPECT_LT(pdf.size(), 120'000u);  // five faces, subset
  KeepForChecks(u"canvas.pdf", pdf);
  KeepForChecks(u"canvas.pdf.txt", expected);
}

}  // namespace

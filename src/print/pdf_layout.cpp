#include "print/pdf_layout.h"

#include "common/utf.h"

uint32_t PrintColor(uint32_t colorref) {
  const uint32_t r = colorref & 0xFF, g = colorref >> 8 & 0xFF, b = colorref >> 16 & 0xFF;
  const uint32_t luma = (299 * r + 587 * g + 114 * b) / 1000;
  if (luma >= 181) {
    auto dim = [](uint32_t c) { return static_cast<uint32_t>(static_cast<float>(c) * 0.45f); };
    return dim(r) | dim(g) << 8 | dim(b) << 16;
  }
  if (luma < 20) return 0;
  return colorref & 0xFFFFFF;
}

int EstimatePdfPages(long long lines) {
  return static_cast<int>((lines + 54) / 55);
}

std::vector<StyledLine> WrapStyledLine(const StyledLine& line, int width, const MeasureRun& measure) {
  std::vector<StyledLine> visual(1);
  long long x = 0;
  for (const StyledRun& run : line) {
    std::u16string_view rest = run.text;
    while (!rest.empty()) {
      const size_t space = rest.find(u' ');
      const size_t length = space == std::u16string_view::npos ? rest.size() : space + 1;
      const std::u16string_view piece = rest.substr(0, length);
      rest.remove_prefix(length);
      const int w = measure(run, piece);
      if (x + w > width && x > 0) {
        visual.emplace_back();
        x = 0;
      }
      StyledLine& current = visual.back();
      if (!current.empty() && current.back().SameLook(run)) {
        current.back().text += piece;
      } else {
        StyledRun segment = run;
        segment.text = std::u16string(piece);
        current.push_back(std::move(segment));
      }
      x += w;
    }
  }
  return visual;
}

namespace {
// Bytes of the UTF-8 sequence a lead byte starts (1 for anything that cannot lead one).
size_t SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}

int MulDivRound(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  return static_cast<int>((product + (product >= 0 ? denominator / 2 : -denominator / 2)) / denominator);
}
}  // namespace

StyledLine RunsFromStyledBytes(const char* pairs, size_t textBytes, const PdfStyleTable& styles) {
  StyledLine line;
  std::string bytes;
  for (size_t i = 0; i < textBytes;) {
    const unsigned char lead = static_cast<unsigned char>(pairs[2 * i]);
    if (lead == '\r' || lead == '\n') {
      ++i;
      continue;
    }
    const int style = static_cast<unsigned char>(pairs[2 * i + 1]) & 127;
    size_t length = SequenceLength(lead);
    if (i + length > textBytes) length = 1;
    bytes.clear();
    for (size_t k = 0; k < length; ++k) bytes.push_back(pairs[2 * (i + k)]);
    std::u16string character = Utf8ToUtf16(bytes);
    if (character.empty() || Utf16ToUtf8(character) != bytes) character = u"?";  // did not decode
    StyledRun look{u"", styles.colour[style], styles.bold[style], styles.italic[style]};
    if (line.empty() || !line.back().SameLook(look)) line.push_back(look);
    line.back().text += character;
    i += length;
  }
  return line;
}

SourcePageLayout SourceLayoutFor(const PageGeometry& page) {
  const int margin = MulDivRound(20, page.dpiX, 25), footerGap = MulDivRound(6, page.dpiX, 25),
            footerPad = MulDivRound(4, page.dpiX, 25);
  SourcePageLayout l;
  l.left = margin + page.offsetX;
  l.top = margin + page.offsetY;
  l.footerY = page.height - margin - footerGap - page.offsetY;
  l.textBottom = l.footerY - footerPad;
  l.textWidth = page.width - margin - page.offsetX - l.left;
  return l;
}

std::u16string PageFooter(int page) {
  return u"- " + DecimalText(static_cast<unsigned>(page < 0 ? 0 : page)) + u" -";
}

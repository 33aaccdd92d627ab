#include "print/pdf_layout.h"

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

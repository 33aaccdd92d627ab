// The Markdown PDF parsing and layout: any text as a Markdown document, laid out at any width
// and resolution with a simple measure (a width per character). No character of the blocks is
// lost or invented by the wrapping (blanks aside), every run keeps its block's look, and a
// wrapped line that holds more than one word fits the width.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "print/markdown_pdf.h"

namespace {
size_t NonBlank(std::u16string_view s) {
  size_t n = 0;
  for (char16_t c : s) n += c != u' ';
  return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;
  FuzzInput in(data, size);
  const int width = static_cast<int>(in.U32() % 20000) - 100;
  const int dpi = 72 + static_cast<int>(in.Byte()) * 4;
  const int baseHeight = static_cast<int>(in.Byte());
  const int bodySize = 1 + in.Byte() % 40;
  const std::u16string text = TextOf(in.Rest());
  const std::u16string face = u"Segoe UI";

  const MeasureMdRun measure = [](const MdRun& look, std::u16string_view token) {
    FUZZ_CHECK(!token.empty());
    return static_cast<int>(token.size()) * look.size * (look.bold ? 7 : 6) / 10;
  };
  const std::vector<MdLayoutLine> lines = BuildMarkdownLayout(text, face, bodySize, width, dpi, baseHeight, measure);

  // The blocks as the layout reads them: lines end at LF, CR or CR LF.
  size_t expected = 0, blocks = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') ++end;
    const MdBlock block = ParseMarkdownBlock(std::u16string_view(text).substr(pos, end - pos), face, bodySize);
    FUZZ_CHECK(block.kind >= kMdHeading1 && block.kind <= kMdParagraph);
    for (const MdRun& run : block.runs) {
      FUZZ_CHECK(!run.text.empty());
      expected += NonBlank(run.text);
      FUZZ_CHECK(run.size > 0 && !run.face.empty());
    }
    ++blocks;
    pos = end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? end + 2 : end + 1;
  }
  size_t laid = 0;
  for (const MdLayoutLine& line : lines) {
    for (const MdRun& run : line.runs) laid += NonBlank(run.text);
    FUZZ_CHECK(line.indent >= 0 && line.spaceBefore >= 0);
  }
  FUZZ_CHECK(laid == expected);
  FUZZ_CHECK(lines.size() >= blocks);

  // Inline runs alone: the characters that are not markup are kept, in order.
  const std::vector<MdRun> runs = ParseMarkdownRuns(text, face, bodySize, size & 1);
  for (const MdRun& run : runs) {
    FUZZ_CHECK(!run.text.empty());
    FUZZ_CHECK(run.code ? run.face == u"Courier New" && run.size == std::max(bodySize - 1, 8) : run.face == face);
  }
  return 0;
}

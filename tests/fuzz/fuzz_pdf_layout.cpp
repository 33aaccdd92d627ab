// The source-text PDF layout: any styled bytes from the edit control (text byte, style byte)
// made into runs, and the runs wrapped at any width. Runs hold the line's characters (CR and LF
// left out, undecodable bytes as "?"), and wrapping neither loses nor adds a character.
#include <string>
#include <vector>

#include "fuzz_input.h"
#include "print/pdf_layout.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16384) return 0;
  FuzzInput in(data, size);
  const int width = static_cast<int>(in.U32() % 5000) - 10;
  PdfStyleTable styles;
  for (int s = 0; s < 128; s += 9) {
    styles.colour[s] = in.U32();
    styles.bold[s] = in.Bool();
    styles.italic[s] = in.Bool();
  }
  const std::string_view pairs = in.Rest();
  const size_t textBytes = pairs.size() / 2;
  const StyledLine line = RunsFromStyledBytes(pairs.data(), textBytes, styles);
  size_t characters = 0;
  for (const StyledRun& run : line) {
    FUZZ_CHECK(!run.text.empty());
    for (char16_t c : run.text) FUZZ_CHECK(c != u'\r' && c != u'\n');
    characters += run.text.size();
  }
  FUZZ_CHECK(characters <= textBytes);
  for (size_t i = 1; i < line.size(); ++i) FUZZ_CHECK(!line[i].SameLook(line[i - 1]));

  const MeasureRun measure = [](const StyledRun& look, std::u16string_view piece) {
    return static_cast<int>(piece.size()) * (look.bold ? 7 : 6);
  };
  const std::vector<StyledLine> wrapped = WrapStyledLine(line, width, measure);
  FUZZ_CHECK(!wrapped.empty());
  std::u16string before, after;
  for (const StyledRun& run : line) before += run.text;
  for (const StyledLine& visual : wrapped)
    for (const StyledRun& run : visual) after += run.text;
  FUZZ_CHECK(before == after);

  (void)PrintColor(styles.colour[0]);
  FUZZ_CHECK(EstimatePdfPages(static_cast<long long>(in.U32())) >= 0);
  return 0;
}

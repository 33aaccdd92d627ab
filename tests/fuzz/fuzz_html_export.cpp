// The highlighted-source HTML builder: any document bytes with any style bytes (one per text
// byte, as the edit control gives them), any title and font name (the font name comes from the
// settings file). The page is built whole and streamed in pieces; both must agree, keep one
// line number and one code line per document line, and escape the text, title and font.
#include <string>

#include "export/html_export.h"
#include "export_checks.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  StyleTables tables;
  const uint8_t how = in.Byte();
  for (int s = 0; s < 128; s += 7) {  // a few styles with their own looks
    tables.fore[s] = in.U32() & 0xFFFFFF;
    tables.back[s] = in.U32() & 0xFFFFFF;
    tables.bold[s] = how & 1;
    tables.italic[s] = how & 2;
  }
  HtmlExportInput input;
  input.title = std::string(in.Piece());
  input.fontFace = std::string(in.Piece());
  input.background = in.U32() & 0xFFFFFF;
  input.styleTables = &tables;
  const std::string_view rest = in.Rest();
  // The first half is the text, the second the styles (one byte per text byte).
  const std::string text(rest.substr(0, rest.size() / 2));
  std::string styles(rest.substr(rest.size() / 2, text.size()));
  input.text = text;
  input.styles = styles;

  std::string page;
  int lastProgress = 0;
  FUZZ_CHECK(BuildHtmlExport(input, page, nullptr, [&](int line) {
    FUZZ_CHECK(line > lastProgress);
    lastProgress = line;
  }));
  std::string streamed;
  FUZZ_CHECK(StreamHtmlExport(
      input,
      [&](std::string_view piece) {
        streamed += piece;
        return true;
      },
      nullptr, nullptr));
  FUZZ_CHECK(streamed == page);

  size_t lines = 1;
  for (char c : text) lines += c == '\n';
  FUZZ_CHECK(CountOf(page, "class=\"line-number\"") == lines);
  FUZZ_CHECK(CountOf(page, "class=\"code-line\"") == lines);
  FUZZ_CHECK(CountOf(page, "<style>") == 1 && CountOf(page, "</style>") == 1);
  FUZZ_CHECK(CountOf(page, "<title>") == 1 && CountOf(page, "</title>") == 1);
  FUZZ_CHECK(CountOf(page, "<span") == CountOf(page, "</span>"));
  FUZZ_CHECK(CountOf(page, "<div") == CountOf(page, "</div>"));
  FUZZ_CHECK(CssFontNamesClean(page));

  // Escaping: no markup character of the text survives.
  const std::string escaped = EscapeHtmlBytes(text);
  FUZZ_CHECK(escaped.find_first_of("<>\"'\t") == std::string::npos);

  // Cancelling at once builds nothing more and says so.
  std::string cancelledPage;
  FUZZ_CHECK(!BuildHtmlExport(input, cancelledPage, [] { return true; }, nullptr));
  return 0;
}

// The Markdown renderer: any text as a Markdown document, rendered to the preview page. The page
// must be valid UTF-8 and keep its frame; one line's spans must open and close their tags in
// pairs; escaping leaves no raw markup characters.
#include <string>

#include "common/utf.h"
#include "fuzz_input.h"
#include "markdown/markdown_html.h"
#include "export_checks.h"
#include "reference_utf.h"


extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t how = in.Byte();
  MarkdownPageStyle style;
  style.fontFace = TextOf(in.Bytes(in.Byte() % 32));  // the editor's font, from the settings file
  const std::u16string text = (how & 1) ? UnitsOf(in.Rest()) : TextOf(in.Rest());

  style.title = text.substr(0, 20);
  style.fontSize = static_cast<int8_t>(how);
  const std::string page = RenderMarkdownPage(text, style);
  FUZZ_CHECK(page.find("</html>") != std::string::npos);
  // A lone surrogate reads U+FFFD; everything the page holds is valid UTF-8.
  FUZZ_CHECK(ValidUtf8(page));
  FUZZ_CHECK(CssFontNamesClean(page));
  FUZZ_CHECK(CountOf(page, "<style>") == 1 && CountOf(page, "</style>") == 1);

  // Each line's spans: the tags come in pairs and in order.
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(u'\n', start);
    if (end == std::u16string::npos) end = text.size();
    const std::string spans = RenderInlineSpans(std::u16string_view(text).substr(start, end - start));
    for (const char* tag : {"strong", "em", "code"}) {
      const std::string open = std::string("<") + tag + ">", close = std::string("</") + tag + ">";
      FUZZ_CHECK(CountOf(spans, open) == CountOf(spans, close));
    }
    if (end == text.size()) break;
    start = end + 1;
  }

  const std::string escaped = EscapeHtmlUtf8(text);
  FUZZ_CHECK(escaped.find_first_of("<>\"'\t") == std::string::npos);
  FUZZ_CHECK(escaped.size() >= ReferenceUtf16ToUtf8(text).size() - CountOf(ReferenceUtf16ToUtf8(text), "\t"));

  MarkdownProgress progress(static_cast<int>(text.size() % 100000));
  int64_t posts[2];
  for (int tick = 0; tick < 200 && !progress.finalizing; ++tick) {
    const int n = progress.Tick(posts);
    FUZZ_CHECK(n >= 0 && n <= 2);
  }
  return 0;
}

#include "export/html_export.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <vector>

#include "export/export_logic.h"

namespace {

// The replacement of each byte that HTML output must not carry as is; null for the others.
struct HtmlEscapeTable {
  const char* text[256] = {};
  unsigned char length[256] = {};
  constexpr HtmlEscapeTable() {
    Set('\t', "    ", 4);
    Set('"', "&quot;", 6);
    Set('&', "&amp;", 5);
    Set('\'', "&#39;", 5);
    Set('<', "&lt;", 4);
    Set('>', "&gt;", 4);
  }
  constexpr void Set(unsigned char c, const char* t, unsigned char n) {
    text[c] = t;
    length[c] = n;
  }
};
constexpr HtmlEscapeTable kHtmlEscapes;

void AppendDecimal(std::string& out, long long value) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
}

void AppendStyleRule(std::string& out, int style, uint32_t fore, uint32_t back, bool bold, bool italic,
                     uint32_t background) {
  if (fore == 0 && back == 0 && !bold && !italic) return;
  out += "        .s";
  AppendDecimal(out, style);
  out += " { ";
  if (fore != 0) {
    out += "color: ";
    out += ColorToHex(fore);
    out += "; ";
  }
  if (back != 0 && back != background) {
    out += "background-color: ";
    out += ColorToHex(back);
    out += "; ";
  }
  if (bold) out += "font-weight: bold; ";
  if (italic) out += "font-style: italic; ";
  out += "}\n";
}

constexpr std::string_view kLineNumberOpen = "        <div class=\"line-number\">";
constexpr std::string_view kCodeLineOpen = "        <div class=\"code-line\">";
constexpr std::string_view kDivClose = "</div>\n";
constexpr std::string_view kSpanClose = "</span>";
constexpr std::string_view kNumbersEnd = "    </div>\n    <div class=\"code-content\">\n";
constexpr std::string_view kPageEnd = "    </div>\n</div>\n</body>\n</html>";

size_t DecimalLength(size_t value) {
  size_t digits = 1;
  while (value >= 10) value /= 10, ++digits;
  return digits;
}

// The exact size of everything after the style sheet, so the page is built in one allocation:
// spans around short runs make highlighted code several times longer than its text.
size_t MeasureBody(std::string_view text, const unsigned char* styleBytes, const std::vector<size_t>& lineStarts,
                   const std::array<std::string, 128>& spanOpen) {
  const size_t lineCount = lineStarts.size();
  size_t size = kNumbersEnd.size() + kPageEnd.size();
  size += lineCount * (kLineNumberOpen.size() + kDivClose.size() + kCodeLineOpen.size() + kDivClose.size());
  for (size_t i = 1; i <= lineCount; ++i) size += DecimalLength(i);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text.data());
  for (size_t i = 0; i < lineCount; ++i) {
    size_t begin = lineStarts[i];
    size_t end = (i + 1 < lineCount) ? lineStarts[i + 1] - 1 : text.size();
    size += end - begin;
    unsigned char style = 0xFF;
    for (size_t k = begin; k < end; ++k) {
      unsigned char s = styleBytes[k] & 0x7F;
      if (s != style) {
        style = s;
        size += spanOpen[s].size() + kSpanClose.size();
      }
      if (kHtmlEscapes.length[bytes[k]] != 0) size += kHtmlEscapes.length[bytes[k]] - 1u;
    }
  }
  return size;
}

}  // namespace

std::string ColorToHex(uint32_t colorref) {
  static const char kHex[] = "0123456789ABCDEF";
  unsigned char channels[3] = {static_cast<unsigned char>(colorref & 0xFF),
                               static_cast<unsigned char>((colorref >> 8) & 0xFF),
                               static_cast<unsigned char>((colorref >> 16) & 0xFF)};
  std::string hex(7, '#');
  for (int i = 0; i < 3; ++i) {
    hex[1 + 2 * i] = kHex[channels[i] >> 4];
    hex[2 + 2 * i] = kHex[channels[i] & 0xF];
  }
  return hex;
}

void AppendEscapedHtmlBytes(std::string& out, std::string_view text) {
  const char* p = text.data();
  const char* end = p + text.size();
  const char* spanStart = p;
  for (; p != end; ++p) {
    unsigned char c = static_cast<unsigned char>(*p);
    if (kHtmlEscapes.text[c] == nullptr) continue;
    out.append(spanStart, p);
    out.append(kHtmlEscapes.text[c], kHtmlEscapes.length[c]);
    spanStart = p + 1;
  }
  out.append(spanStart, end);
}

std::string EscapeHtmlBytes(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 5);
  AppendEscapedHtmlBytes(out, text);
  return out;
}

namespace {
// The page in pieces of about this size when it is streamed.
constexpr size_t kStreamPiece = 1 << 20;

// Builds the page into `out`; with `write`, hands `out` over whenever it has grown to a piece
// and once more at the end, so that only a piece is ever held.
bool BuildPage(const HtmlExportInput& input, std::string& out, const std::function<bool(std::string_view)>& write,
               const std::function<bool()>& cancelled, const std::function<void(int)>& progress) {
  static const StyleTables kNoStyles;
  const StyleTables& tables = input.styleTables ? *input.styleTables : kNoStyles;
  std::string_view text = input.text;

  // One style byte per text byte; a short style buffer counts as style 0 for the rest.
  std::string paddedStyles;
  std::string_view styles = input.styles;
  if (styles.size() < text.size()) {
    paddedStyles.assign(styles);
    paddedStyles.resize(text.size(), '\0');
    styles = paddedStyles;
  }

  // Line starts: every line ends before its line feed; a carriage return stays in the line.
  // A final line feed leaves one more, empty line; an empty text is one empty line.
  std::vector<size_t> lineStarts;
  lineStarts.push_back(0);
  for (const char* p = text.data(), *end = p + text.size();;) {
    const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (lf == nullptr) break;
    p = static_cast<const char*>(lf) + 1;
    lineStarts.push_back(static_cast<size_t>(p - text.data()));
  }
  const int lineCount = static_cast<int>(lineStarts.size());

  // The opening tag of each style's span, made once.
  std::array<std::string, 128> spanOpen;
  for (int s = 0; s < 128; ++s) {
    spanOpen[s] = "<span class=\"s";
    AppendDecimal(spanOpen[s], s);
    spanOpen[s] += "\">";
  }
  const unsigned char* styleBytes = reinterpret_cast<const unsigned char*>(styles.data());

  // The head and the style sheet stay well below this bound.
  const size_t headBound = 24 * 1024 + 3 * input.fontFace.size() + 6 * input.title.size();
  out.clear();
  if (write) {
    out.reserve(2 * kStreamPiece);
  } else {
    const size_t bodySize = MeasureBody(text, styleBytes, lineStarts, spanOpen);
    out.reserve(std::max(text.size() + 2 * (text.size() + 10000), headBound + bodySize));
  }
  auto handOver = [&]() {
    if (!write || out.size() < kStreamPiece) return true;
    if (!write(out)) return false;
    out.clear();
    return true;
  };

  const std::string bg = ColorToHex(input.background);
  const std::string font = CssFontName(input.fontFace);
  out += "<!DOCTYPE html>\n<html>\n<head>\n";
  out += "    <meta charset=\"UTF-8\">\n";
  out += "    <meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">\n";
  out += "    <title>";
  AppendEscapedHtmlBytes(out, input.title);
  out += " - Norvo Export</title>\n";
  out += "    <style>\n";
  out += "        * { margin: 0; padding: 0; box-sizing: border-box; }\n";
  out += "        body { background-color: " + bg + "; ";
  out += "font-family: '" + font + "', monospace; font-size: 11pt; line-height: 1.5; }\n";
  out += "        .code-container { display: flex; flex-direction: row; min-height: 100vh; }\n";
  out += "        .line-numbers { background-color: " + bg + "; ";
  out += "color: #606060; text-align: right; padding: 20px 10px 20px 20px; ";
  out += "user-select: none; border-right: 1px solid #444; ";
  out += "font-family: '" + font + "', monospace; font-size: 11pt; line-height: 1.5; min-width: 50px; }\n";
  out += "        .line-number { height: 1.5em; line-height: 1.5em; white-space: pre; }\n";
  out += "        .code-content { background-color: " + bg + "; ";
  out += "padding: 20px; flex: 1; overflow-x: auto; ";
  out += "font-family: '" + font + "', monospace; font-size: 11pt; }\n";
  out += "        .code-line { height: 1.5em; line-height: 1.5em; white-space: pre; }\n";

  for (int s = 0; s < 128; ++s) {
    AppendStyleRule(out, s, tables.fore[s], tables.back[s], tables.bold[s], tables.italic[s], input.background);
  }

  out += "    </style>\n</head>\n<body>\n";
  out += "<div class=\"code-container\">\n";
  out += "    <div class=\"line-numbers\">\n";
  for (int i = 1; i <= lineCount; ++i) {
    out += kLineNumberOpen;
    AppendDecimal(out, i);
    out += kDivClose;
    if (!handOver()) return false;
  }
  out += kNumbersEnd;

  const int step = HtmlProgressStep(lineCount);
  for (int i = 0; i < lineCount; ++i) {
    if (cancelled && cancelled()) return false;
    if (i % step == 0 && progress) progress(i + 1);

    size_t begin = lineStarts[i];
    size_t end = (i + 1 < lineCount) ? lineStarts[i + 1] - 1 : text.size();  // without the line feed
    out += kCodeLineOpen;
    for (size_t run = begin; run < end;) {
      unsigned char style = styleBytes[run] & 0x7F;
      size_t next = run + 1;
      while (next < end && (styleBytes[next] & 0x7F) == style) ++next;
      // A run is never empty, so its escaped text is not either.
      out += spanOpen[style];
      AppendEscapedHtmlBytes(out, text.substr(run, next - run));
      out += kSpanClose;
      run = next;
    }
    out += kDivClose;
    if (!handOver()) return false;
  }

  out += kPageEnd;
  return !write || write(out);
}
}  // namespace

bool BuildHtmlExport(const HtmlExportInput& input, std::string& out, const std::function<bool()>& cancelled,
                     const std::function<void(int)>& progress) {
  return BuildPage(input, out, nullptr, cancelled, progress);
}

bool StreamHtmlExport(const HtmlExportInput& input, const std::function<bool(std::string_view)>& write,
                      const std::function<bool()>& cancelled, const std::function<void(int)>& progress) {
  std::string piece;
  return BuildPage(input, piece, write, cancelled, progress);
}

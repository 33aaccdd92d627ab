#include "markdown/markdown_html.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <memory>

#include "common/utf.h"
#include "export/export_logic.h"

namespace {

// Output goes through raw pointers into a small scratch buffer that stays in the cache, so that
// plain characters cost one store each, and moves to the result a block at a time. The result's
// storage is reserved up front; reserved pages that are never written cost nothing.
// Reserve() before writing, Commit() after.
class PageWriter {
 public:
  static constexpr size_t kScratch = 64 * 1024;

  explicit PageWriter(size_t expected) : scratch_(new char[kScratch]) { out_.reserve(expected); }

  // Room for `n` more bytes (at most kScratch); returns where they go.
  char* Reserve(size_t n) {
    if (kScratch - used_ < n) Flush();
    return scratch_.get() + used_;
  }
  void Commit(const char* end) { used_ = static_cast<size_t>(end - scratch_.get()); }
  void Put(std::string_view s) {
    if (s.size() > kScratch / 2) {
      Flush();
      out_.append(s);
      return;
    }
    char* p = Reserve(s.size());
    std::memcpy(p, s.data(), s.size());
    Commit(p + s.size());
  }
  std::string Take() {
    Flush();
    return std::move(out_);
  }

 private:
  void Flush() {
    out_.append(scratch_.get(), used_);
    used_ = 0;
  }

  std::string out_;
  std::unique_ptr<char[]> scratch_;
  size_t used_ = 0;
};

inline char* Put(char* p, std::string_view s) {
  std::memcpy(p, s.data(), s.size());
  return p + s.size();
}

// What an ASCII character needs: copied as it is, replaced by an entity (or blanks for the
// tab), or looked at by the inline scanner.
enum : unsigned char { kPlain, kEntity, kMarker };
constexpr auto kAsciiClass = [] {
  struct Table {
    unsigned char c[128];
  } t{};
  t.c['\t'] = t.c['"'] = t.c['&'] = t.c['\''] = t.c['<'] = t.c['>'] = kEntity;
  t.c['*'] = t.c['_'] = t.c['`'] = kMarker;
  return t;
}();

// The most bytes one UTF-16 unit can turn into: "</code>" for a backquote.
constexpr size_t kMaxBytesPerUnit = 7;
// Longest tag run written without a Reserve of its own: the three closing tags of a line.
constexpr size_t kSlack = 32;
// Units written per Reserve: their worst case must fit the scratch buffer.
constexpr size_t kChunk = 8192;
static_assert(kChunk * kMaxBytesPerUnit + kSlack <= PageWriter::kScratch);

inline char* PutEntity(char* p, char16_t c) {
  switch (c) {
    case '\t': return Put(p, "    ");
    case '"': return Put(p, "&quot;");
    case '&': return Put(p, "&amp;");
    case '\'': return Put(p, "&#39;");
    case '<': return Put(p, "&lt;");
    default: return Put(p, "&gt;");
  }
}

// Writes the non-ASCII character at s[i] as UTF-8 (a surrogate pair as one character, a lone
// surrogate as U+FFFD) and advances i past it.
inline char* PutNonAscii(char* p, const char16_t* s, size_t& i, size_t n) {
  char32_t cp = s[i++];
  if (cp >= 0xD800 && cp <= 0xDFFF) {
    if (cp <= 0xDBFF && i < n && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i++] - 0xDC00);
    } else {
      cp = 0xFFFD;
    }
  }
  if (cp < 0x800) {
    *p++ = static_cast<char>(0xC0 | (cp >> 6));
  } else if (cp < 0x10000) {
    *p++ = static_cast<char>(0xE0 | (cp >> 12));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  } else {
    *p++ = static_cast<char>(0xF0 | (cp >> 18));
    *p++ = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    *p++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
  }
  *p++ = static_cast<char>(0x80 | (cp & 0x3F));
  return p;
}

void PutEscaped(PageWriter& w, const char16_t* s, size_t n) {
  size_t i = 0;
  while (i < n) {
    size_t stop = std::min(n, i + kChunk);
    char* p = w.Reserve((stop - i) * kMaxBytesPerUnit + kSlack);
    while (i < stop) {
      char16_t c = s[i];
      if (c >= 0x80) {
        p = PutNonAscii(p, s, i, n);
      } else {
        p = kAsciiClass.c[c] == kEntity ? PutEntity(p, c) : (*p = static_cast<char>(c), p + 1);
        ++i;
      }
    }
    w.Commit(p);
  }
}

// One line's content with its bold, italic and code spans. Markup ends pending text, so
// writing each plain character escaped as it comes is the same as collecting and flushing.
void PutInline(PageWriter& w, const char16_t* s, size_t n) {
  bool strong = false, em = false, code = false;
  size_t i = 0;
  while (i < n) {
    size_t stop = std::min(n, i + kChunk);
    char* p = w.Reserve((stop - i) * kMaxBytesPerUnit + kSlack);
    while (i < stop) {
      char16_t c = s[i];
      if (c >= 0x80) {
        p = PutNonAscii(p, s, i, n);
        continue;
      }
      unsigned char kind = kAsciiClass.c[c];
      if (kind == kPlain) {
        *p++ = static_cast<char>(c);
      } else if (kind == kEntity) {
        p = PutEntity(p, c);
      } else if (!code && c == '*' && i + 1 < n && s[i + 1] == '*') {
        p = Put(p, strong ? "</strong>" : "<strong>");
        strong = !strong;
        ++i;
      } else if (!code && c != '`' && (i == 0 || s[i - 1] != c) && (i + 1 == n || s[i + 1] != c)) {
        // A single * or _ (the two share one italic state).
        p = Put(p, em ? "</em>" : "<em>");
        em = !em;
      } else if (c == '`') {
        p = Put(p, code ? "</code>" : "<code>");
        code = !code;
      } else {
        *p++ = static_cast<char>(c);  // * or _ next to another, or inside code
      }
      ++i;
    }
    w.Commit(p);
  }
  // Spans left open close at the end of the line, in this order whatever order they opened in.
  char* p = w.Reserve(kSlack);
  if (code) p = Put(p, "</code>");
  if (em) p = Put(p, "</em>");
  if (strong) p = Put(p, "</strong>");
  w.Commit(p);
}

void PutColour(std::string& out, uint32_t colorref) {
  static const char kHex[] = "0123456789ABCDEF";
  out += '#';
  for (int shift : {0, 8, 16}) {  // red, green, blue
    unsigned byte = (colorref >> shift) & 0xFF;
    out += kHex[byte >> 4];
    out += kHex[byte & 0xF];
  }
}

std::string Head(const MarkdownPageStyle& style) {
  std::string bg, text, head, muted, rule, codeBack;
  PutColour(bg, style.back);
  PutColour(text, style.text);
  PutColour(head, style.head);
  PutColour(muted, style.muted);
  PutColour(rule, style.rule);
  PutColour(codeBack, style.codeBack);
  std::string h;
  h.reserve(2048);
  h += "  <style>\n";
  h += "    * { margin: 0; padding: 0; box-sizing: border-box; }\n";
  h += "    body { background: " + bg + "; color: " + text + "; font-family: '" +
       CssFontName(Utf16ToUtf8(style.fontFace)) + "', 'Segoe UI', sans-serif; font-size: " +
       std::to_string(style.fontSize) + "pt; line-height: 1.6; }\n";
  h += "    .content { max-width: 860px; margin: 0 auto; padding: 40px 32px; }\n";
  h += "    h1 { font-size: 2em;   color: " + head + "; border-bottom: 1px solid " + rule +
       "; padding-bottom: 6px; margin: 1.2em 0 0.5em; }\n";
  h += "    h2 { font-size: 1.5em; color: " + head + "; margin: 1em 0 0.4em; }\n";
  h += "    h3 { font-size: 1.2em; color: " + head + "; margin: 0.8em 0 0.3em; }\n";
  h += "    p  { margin: 0.4em 0; }\n";
  h += "    ul, ol { margin: 0.3em 0 0.3em 1.6em; }\n";
  h += "    li { margin: 0.15em 0; }\n";
  h += "    blockquote { border-left: 3px solid " + rule + "; margin: 0.5em 0; padding: 0.2em 0 0.2em 1em; color: " +
       muted + "; font-style: italic; }\n";
  h += "    hr { border: none; border-top: 1px solid " + rule + "; margin: 1em 0; }\n";
  h += "    code { background: " + codeBack + "; color: " + muted +
       "; font-family: 'Courier New', monospace; font-size: 0.9em; padding: 1px 4px; border-radius: 3px; }\n";
  h += "    strong { color: " + head + "; }\n";
  h += "  </style>\n";
  h += "</head>\n<body>\n<div class=\"content\">\n";
  return h;
}

inline bool IsBlank(char16_t c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
inline bool IsDigit(char16_t c) { return c >= '0' && c <= '9'; }

bool StartsWith(const char16_t* s, size_t n, std::u16string_view prefix) {
  return n >= prefix.size() && std::equal(prefix.begin(), prefix.end(), s);
}

// The two flags that carry from line to line.
struct ListState {
  bool unordered = false, ordered = false;

  void CloseOpenLists(PageWriter& w) {
    if (unordered) w.Put("</ul>\n");
    if (ordered) w.Put("</ol>\n");
    unordered = ordered = false;
  }
};

void PutLine(PageWriter& w, ListState& lists, const char16_t* s, size_t n) {
  while (n > 0 && IsBlank(*s)) ++s, --n;
  while (n > 0 && IsBlank(s[n - 1])) --n;

  auto block = [&](std::string_view open, size_t from, std::string_view close) {
    lists.CloseOpenLists(w);
    w.Put(open);
    PutInline(w, s + from, n - from);
    w.Put(close);
  };
  auto item = [&](size_t from) {
    w.Put("  <li>");
    PutInline(w, s + from, n - from);
    w.Put("</li>\n");
  };

  if (n == 0) {
    lists.CloseOpenLists(w);
    w.Put("<p></p>\n");
  } else if (n == 3 && (StartsWith(s, n, u"---") || StartsWith(s, n, u"***") || StartsWith(s, n, u"___"))) {
    lists.CloseOpenLists(w);
    w.Put("<hr>\n");
  } else if (n > 4 && StartsWith(s, n, u"### ")) {
    block("<h3>", 4, "</h3>\n");
  } else if (n > 3 && StartsWith(s, n, u"## ")) {
    block("<h2>", 3, "</h2>\n");
  } else if (n > 2 && StartsWith(s, n, u"# ")) {
    block("<h1>", 2, "</h1>\n");
  } else if (n > 2 && (s[0] == '-' || s[0] == '*') && s[1] == ' ') {
    if (lists.ordered) w.Put("</ol>\n");
    if (!lists.unordered) w.Put("<ul>\n");
    lists.ordered = false;
    lists.unordered = true;
    item(2);
  } else if (n > 2 && StartsWith(s, n, u"> ")) {
    block("<blockquote>", 2, "</blockquote>\n");
  } else if (size_t digits = (n >= 3 && IsDigit(s[0])) ? (IsDigit(s[1]) ? 2 : 1) : 0;
             digits != 0 && n >= digits + 2 && s[digits] == '.' && s[digits + 1] == ' ') {
    // "1. " or "12. ": the number itself is not used.
    if (lists.unordered) w.Put("</ul>\n");
    if (!lists.ordered) w.Put("<ol>\n");
    lists.unordered = false;
    lists.ordered = true;
    item(digits + 2);
  } else {
    block("<p>", 0, "</p>\n");
  }
}

bool EqualsIgnoringAsciiCase(std::u16string_view a, std::u16string_view b) {
  auto fold = [](char16_t c) { return c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c + 32) : c; };
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char16_t x, char16_t y) {
           return fold(x) == fold(y);
         });
}

}  // namespace

void SetMarkdownColours(MarkdownPageStyle& style, const ColorPalette& palette) {
  style.back = palette.editorBack;
  style.text = palette.editorText;
  style.head = palette.dialogText;
  style.muted = palette.mutedText;
  style.rule = palette.borderLine;
  style.codeBack = palette.inputBack;
}

BodyFont PickBodyFont(std::u16string_view editorFont, int editorFontSize) {
  static constexpr std::u16string_view kMonospace[] = {
      u"Courier New", u"Consolas",        u"Lucida Console", u"Cascadia Code", u"Cascadia Mono",
      u"Fira Code",   u"Source Code Pro", u"Inconsolata",    u"Monaco"};
  bool monospace = std::any_of(std::begin(kMonospace), std::end(kMonospace),
                               [&](std::u16string_view face) { return EqualsIgnoringAsciiCase(editorFont, face); });
  if (monospace || editorFont.empty()) return {u"Segoe UI", 10};
  return {std::u16string(editorFont), editorFontSize > 0 ? editorFontSize : 10};
}

std::string RenderMarkdownPage(std::u16string_view text, const MarkdownPageStyle& style) {
  // The UTF-8 text, some 16 bytes of tags a line and a half again for spans and entities:
  // enough for almost any page, so that the result is seldom moved while it grows.
  size_t expected = 4096 + text.size() + text.size() / 2;
  for (char16_t c : text) expected += (c >= 0x80) + (c >= 0x800) + (c == '\n' ? 16 : 0);
  PageWriter w(expected);
  w.Put(
      "<!DOCTYPE html>\n<html>\n<head>\n"
      "  <meta charset=\"UTF-8\">\n"
      "  <meta name=\"viewport\" content=\"width=device-width, initial-scale=1.0\">\n"
      "  <title>");
  PutEscaped(w, style.title.data(), style.title.size());
  w.Put("</title>\n");
  w.Put(Head(style));

  ListState lists;
  const char16_t* s = text.data();
  const size_t n = text.size();
  size_t pos = 0;
  while (pos < n) {
    size_t end = pos;
    while (end < n && s[end] != '\n' && s[end] != '\r') ++end;
    PutLine(w, lists, s + pos, end - pos);
    if (end == n) break;
    pos = end + (s[end] == '\r' && end + 1 < n && s[end + 1] == '\n' ? 2 : 1);
  }
  lists.CloseOpenLists(w);
  w.Put("</div>\n</body>\n</html>\n");
  return w.Take();
}

std::string RenderInlineSpans(std::u16string_view line) {
  PageWriter w(line.size() + kSlack);
  PutInline(w, line.data(), line.size());
  return w.Take();
}

std::string EscapeHtmlUtf8(std::u16string_view text) {
  PageWriter w(text.size() + kSlack);
  PutEscaped(w, text.data(), text.size());
  return w.Take();
}

MarkdownProgress::MarkdownProgress(int totalLines)
    : target(static_cast<int>(std::max(totalLines, 1) * 0.9)), step(std::max(target / 40, 1)) {}

int MarkdownProgress::Tick(int64_t posts[2]) {
  if (finalizing) return 0;
  position = std::min(position + step, target);
  posts[0] = position;
  if (position < target) return 1;
  finalizing = true;
  posts[1] = -1;
  return 2;
}

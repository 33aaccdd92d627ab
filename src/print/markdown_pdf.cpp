#include "print/markdown_pdf.h"

#include <algorithm>

namespace {
bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

std::u16string_view Trim(std::u16string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool StartsWith(std::u16string_view s, std::u16string_view prefix) { return s.substr(0, prefix.size()) == prefix; }

int Scale(int pixels, int dpi) { return static_cast<int>((static_cast<long long>(pixels) * dpi + 48) / 96); }
}  // namespace

std::vector<MdRun> ParseMarkdownRuns(std::u16string_view text, const std::u16string& face, int size, bool bold) {
  std::vector<MdRun> runs;
  bool italic = false, code = false;
  std::u16string pending;
  auto flush = [&] {
    if (pending.empty()) return;
    MdRun run;
    run.text = std::move(pending);
    run.face = code ? u"Courier New" : face;
    run.size = code ? std::max(size - 1, 8) : size;
    run.bold = bold;
    run.italic = italic;
    run.code = code;
    runs.push_back(std::move(run));
    pending.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == u'*' && i + 1 < text.size() && text[i + 1] == u'*') {
      flush();
      bold = !bold;
      ++i;
    } else if (c == u'*' || c == u'_') {
      flush();
      italic = !italic;
    } else if (c == u'`') {
      flush();
      code = !code;
    } else {
      pending.push_back(c);
    }
  }
  flush();
  return runs;
}

MdBlock ParseMarkdownBlock(std::u16string_view line, const std::u16string& face, int size) {
  const std::u16string_view l = Trim(line);
  const size_t n = l.size();
  MdBlock block;
  auto runs = [&](size_t from, int points, bool bold) { block.runs = ParseMarkdownRuns(l.substr(from), face, points, bold); };
  if (n == 0) {
    block.kind = kMdEmpty;
  } else if (l == u"---" || l == u"***" || l == u"___") {
    block.kind = kMdRule;
  } else if (n > 4 && StartsWith(l, u"### ")) {
    block.kind = kMdHeading3;
    runs(4, 15, true);
  } else if (n > 3 && StartsWith(l, u"## ")) {
    block.kind = kMdHeading2;
    runs(3, 18, true);
  } else if (n > 2 && StartsWith(l, u"# ")) {
    block.kind = kMdHeading1;
    runs(2, 22, true);
  } else if (n > 2 && (StartsWith(l, u"- ") || StartsWith(l, u"* "))) {
    block.kind = kMdBullet;
    runs(2, size, false);
  } else if (n > 2 && StartsWith(l, u"> ")) {
    block.kind = kMdQuote;
    runs(2, size, false);
  } else {
    const size_t dot = l.find(u". ");
    const bool digits = (dot == 1 || dot == 2) &&
                        std::all_of(l.begin(), l.begin() + static_cast<std::ptrdiff_t>(dot),
                                    [](char16_t c) { return c >= u'0' && c <= u'9'; });
    if (digits) {
      block.kind = kMdNumbered;
      for (size_t i = 0; i < dot; ++i) block.number = block.number * 10 + (l[i] - u'0');
      runs(dot + 2, size, false);
    } else {
      block.kind = kMdParagraph;
      runs(0, size, false);
    }
  }
  return block;
}

std::vector<MdLayoutLine> BuildMarkdownLayout(std::u16string_view text, const std::u16string& face, int size,
                                              int width, int dpi, int baseHeight, const MeasureMdRun& measure) {
  std::vector<MdLayoutLine> lines;
  const int h = baseHeight;
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = pos;
    while (end < text.size() && text[end] != u'\n' && text[end] != u'\r') ++end;
    const MdBlock block = ParseMarkdownBlock(text.substr(pos, end - pos), face, size);
    pos = end < text.size() && text[end] == u'\r' && end + 1 < text.size() && text[end + 1] == u'\n' ? end + 2 : end + 1;
    if (block.kind == kMdEmpty) {
      lines.push_back({{}, kMdEmpty, false, 0, h / 2, 0});
      continue;
    }
    if (block.kind == kMdRule) {
      lines.push_back({{}, kMdParagraph, true, 0, h / 3, 0});
      continue;
    }
    const int indent = block.kind == kMdBullet || block.kind == kMdNumbered ? Scale(18, dpi)
                       : block.kind == kMdQuote                             ? Scale(20, dpi)
                                                                            : 0;
    const int maxWidth = std::max(width - indent - Scale(28, dpi), Scale(80, dpi));
    const int headingSpace = block.kind == kMdHeading1 ? h : block.kind == kMdHeading2 ? h * 3 / 4
                             : block.kind == kMdHeading3                                 ? h / 2
                                                                                         : 0;
    MdLayoutLine line{{}, block.kind, false, block.number, headingSpace, indent};
    int x = 0;
    bool blankLast = false;  // the line ends in a blank already: the next word needs none
    for (const MdRun& run : block.runs) {
      std::u16string_view rest = run.text;
      while (!rest.empty()) {
        const size_t blank = rest.find(u' ');
        std::u16string word(rest.substr(0, blank));
        rest.remove_prefix(blank == std::u16string_view::npos ? rest.size() : blank + 1);
        std::u16string token = x > 0 && !blankLast ? u" " + word : word;
        if (token.empty()) continue;  // a blank at a line's start, or a second blank
        int w = measure(run, token);
        if (x > 0 && x + w > maxWidth && !word.empty()) {
          lines.push_back(std::move(line));
          line = MdLayoutLine{{}, block.kind, false, block.number, 0, indent};
          x = 0;
          token = word;
          w = measure(run, token);
        }
        blankLast = word.empty();
        if (!line.runs.empty() && line.runs.back().SameLook(run)) {
          line.runs.back().text += token;
        } else {
          MdRun piece = run;
          piece.text = std::move(token);
          line.runs.push_back(std::move(piece));
        }
        x += w;
      }
    }
    lines.push_back(std::move(line));
  }
  return lines;
}

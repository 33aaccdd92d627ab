// Markdown renderer benchmark (native).
// Usage: bench_markdown gen FILE MEGABYTES   writes a generated Markdown document of about that size
//        bench_markdown render FILE OUT      renders it (best of 3), writes the page to OUT and prints
//                                            the speed in MB/s of UTF-8 input (1 MB = 1,000,000 bytes)
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/utf.h"
#include "markdown/markdown_html.h"
#include "settings/theme.h"

namespace {

bool ReadFile(const char* path, std::string& out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) out.append(buffer, n);
  bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

bool WriteFile(const char* path, const std::string& data) {
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  bool ok = std::fwrite(data.data(), 1, data.size(), f) == data.size();
  return std::fclose(f) == 0 && ok;
}

struct Random {
  uint64_t state = 20240601u;
  unsigned Next(unsigned below) {
    state = state * 6364136223846793005u + 1442695040888963407u;
    return static_cast<unsigned>(state >> 33) % below;
  }
};

// A sentence of plain words and inline spans, some of them non-ASCII.
void AppendSentence(std::string& s, Random& r) {
  static const char* const kWords[] = {
      "the",       "editor",  "renders", "a",        "document", "with",   "snake_case_name", "caf\xC3\xA9",
      "na\xC3\xAFve", "\xE2\x82\xAC" "5", "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E", "\xF0\x9F\x98\x80", "line",
      "**bold**",  "*italic*", "_under_", "`code_span()`", "x < y", "Tom & Jerry", "\"quoted\"", "it's",
      "__init__",  "text",    "and",     "of",       "to",       "markdown"};
  int words = 4 + static_cast<int>(r.Next(14));
  for (int i = 0; i < words; ++i) {
    if (i) s += ' ';
    s += kWords[r.Next(sizeof kWords / sizeof *kWords)];
  }
}

std::string Generate(size_t bytes) {
  std::string s;
  s.reserve(bytes + 1024);
  Random r;
  while (s.size() < bytes) {
    bool sentence = true;
    switch (r.Next(16)) {
      case 0: s += "# "; break;
      case 1: s += "## "; break;
      case 2: s += "### "; break;
      case 3: s += "#### "; break;
      case 4: s += "- "; break;
      case 5: s += "* "; break;
      case 6: s += std::to_string(1 + r.Next(20)) + ". "; break;
      case 7: s += "> "; break;
      case 8:
        s += r.Next(2) ? "---" : "***";
        sentence = false;
        break;
      case 9:  // an indented line or a blank one
        s += "    ";
        sentence = r.Next(2) != 0;
        break;
      default: break;  // a paragraph
    }
    if (sentence) AppendSentence(s, r);
    s += r.Next(3) ? "\n" : "\r\n";
  }
  return s;
}

int Generate(const char* path, const char* megabytes) {
  double mb = std::atof(megabytes);
  if (mb <= 0) {
    std::fprintf(stderr, "bad size: %s\n", megabytes);
    return 2;
  }
  if (!WriteFile(path, Generate(static_cast<size_t>(mb * 1e6)))) {
    std::fprintf(stderr, "cannot write %s\n", path);
    return 1;
  }
  return 0;
}

int Render(const char* path, const char* outPath) {
  std::string utf8;
  if (!ReadFile(path, utf8)) {
    std::fprintf(stderr, "cannot read %s\n", path);
    return 1;
  }
  std::u16string text = Utf8ToUtf16(utf8);
  MarkdownPageStyle style;
  style.title = u"bench.md";
  BodyFont font = PickBodyFont(u"Consolas", 11);
  style.fontFace = font.face;
  style.fontSize = font.size;
  SetMarkdownColours(style, PaletteForTheme(0));

  std::string page;
  double best = 1e30;
  for (int run = 0; run < 3; ++run) {
    auto start = std::chrono::steady_clock::now();
    page = RenderMarkdownPage(text, style);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    best = std::min(best, took.count());
  }
  if (!WriteFile(outPath, page)) {
    std::fprintf(stderr, "cannot write %s\n", outPath);
    return 1;
  }
  double mb = static_cast<double>(utf8.size()) / 1e6;
  std::printf("Norvo renderer: %.2f MB in %.1f ms (best of 3): %.1f MB/s\n", mb, best * 1e3, mb / best);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "gen") == 0) return Generate(argv[2], argv[3]);
  if (argc == 4 && std::strcmp(argv[1], "render") == 0) return Render(argv[2], argv[3]);
  std::fprintf(stderr, "usage: bench_markdown gen FILE MEGABYTES | render FILE OUT\n");
  return 2;
}

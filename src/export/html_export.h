// The highlighted-source HTML page: line numbers beside the code, one span per run of a style.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The edit control's 128 styles as the editor shows them (colours are 0x00BBGGRR).
struct StyleTables {
  uint32_t fore[128] = {};
  uint32_t back[128] = {};
  bool bold[128] = {};
  bool italic[128] = {};
};

struct HtmlExportInput {
  std::string_view text;    // UTF-8 bytes of the document
  std::string_view styles;  // one style byte per text byte (only the low 7 bits count)
  std::string title;        // UTF-8; escaped like the text
  std::string fontFace;     // UTF-8
  uint32_t background = 0;  // the theme's editor background
  const StyleTables* styleTables = nullptr;
};

// Builds the whole page into `out`. Before each line `cancelled` is asked (a true answer stops
// the build and returns false); for every line index i with i % HtmlProgressStep(N) == 0,
// `progress(i + 1)` is called. Either callback may be empty.
bool BuildHtmlExport(const HtmlExportInput& input, std::string& out, const std::function<bool()>& cancelled,
                     const std::function<void(int)>& progress);

// The same page handed to `write` in pieces of about a megabyte, in order, so that a large
// page is never held whole; false when cancelled or when `write` returns false.
bool StreamHtmlExport(const HtmlExportInput& input, const std::function<bool(std::string_view)>& write,
                      const std::function<bool()>& cancelled, const std::function<void(int)>& progress);

// Tab to four blanks; " & ' < > to entities; every other byte unchanged.
std::string EscapeHtmlBytes(std::string_view text);
void AppendEscapedHtmlBytes(std::string& out, std::string_view text);

// "#RRGGBB" from 0x00BBGGRR.
std::string ColorToHex(uint32_t colorref);

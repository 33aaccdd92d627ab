// Rich Text Format with the editor's colours, bold and italic, in the editor's font.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct RtfStyleTables {
  uint32_t fore[128] = {};  // 0x00BBGGRR
  bool bold[128] = {};
  bool italic[128] = {};
};

// The whole RTF document. `styles` holds one style byte per text byte; a style of 128 or
// more counts as style 0. In a dark theme light foregrounds are darkened for paper.
std::string BuildRtf(std::string_view text, std::string_view styles, const RtfStyleTables& tables, bool darkTheme,
                     std::string_view fontNameUtf8, int fontSizePoints);

// The escaped form of one run: braces, backslash, CR dropped, LF to \par, tab, \uN? for
// UTF-8 sequences, "?" for astral characters and invalid bytes.
void AppendRtfEscaped(std::string& out, std::string_view run);

// The font table's name: escaped as a run, without the semicolon that would end the entry
// and without control characters (the name comes from the settings file, which may hold
// anything).
void AppendRtfFontName(std::string& out, std::string_view nameUtf8);

// A foreground whose luminance is above 180 darkened to 35 %; others unchanged.
uint32_t DarkenForPaper(uint32_t colorref);

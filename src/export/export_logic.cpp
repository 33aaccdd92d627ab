#include "export/export_logic.h"

#include <cstdio>

const ExportFormatRow kExportFormats[kExportFormatCount] = {
    {kFormatPdf, u"PDF Document (*.pdf)", u"Portable Document Format - best for printing and sharing", u".pdf",
     u"PDF Files", u"*.pdf"},
    {kFormatHtml, u"HTML Document (*.html)", u"HyperText Markup Language - view in web browser", u".html",
     u"HTML Files", u"*.html;*.htm"},
    {kFormatRtf, u"Rich Text Format (*.rtf)", u"Rich Text Format - opens in Word, LibreOffice", u".rtf", u"RTF Files",
     u"*.rtf"},
    {kFormatText, u"Plain Text (*.txt)", u"Simple UTF-8 text file", u".txt", u"Text Files", u"*.txt"},
};

namespace {

// Formatted ASCII text widened to UTF-16.
template <typename... Args>
std::u16string FormatAscii(const char* format, Args... args) {
  char buffer[96];
  int n = std::snprintf(buffer, sizeof buffer, format, args...);
  if (n < 0) return {};
  if (n >= static_cast<int>(sizeof buffer)) n = static_cast<int>(sizeof buffer) - 1;
  return std::u16string(buffer, buffer + n);
}

char16_t AsciiLower(char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c; }

}  // namespace

const ExportFormatRow* FindExportFormat(int formatId) {
  for (const ExportFormatRow& row : kExportFormats) {
    if (row.formatId == formatId) return &row;
  }
  return nullptr;
}

bool IsMarkdownPath(std::u16string_view path) {
  if (path.size() < 3) return false;
  std::u16string_view tail = path.substr(path.size() - 3);
  return tail[0] == u'.' && AsciiLower(tail[1]) == u'm' && AsciiLower(tail[2]) == u'd';
}

int ExportLineLimit(int formatId, bool markdown) {
  switch (formatId) {
    case kFormatPdf:
      return markdown ? 30000 : 10000;
    case kFormatHtml:
      return markdown ? 30000 : 20000;
    case kFormatRtf:
      return 50000;
    default:
      return -1;
  }
}

std::u16string DocumentNameOf(std::u16string_view path) {
  if (path.empty()) return u"Untitled";
  size_t cut = path.find_last_of(u"\\/");
  if (cut == std::u16string_view::npos) return std::u16string(path);
  return std::u16string(path.substr(cut + 1));
}

std::u16string ProposedExportName(std::u16string_view documentPath, std::u16string_view extension) {
  if (documentPath.empty()) return {};
  // Only the file name counts: a dot in a folder name is not an extension.
  std::u16string name = DocumentNameOf(documentPath);
  size_t dot = name.rfind(u'.');
  if (dot != std::u16string::npos) name.erase(dot);
  name.append(extension);
  constexpr size_t kMaxName = 259;  // the dialog's buffer holds 260 characters with the terminator
  if (name.size() > kMaxName) {
    size_t keep = kMaxName;
    // Never leave the first half of a surrogate pair at the end.
    if (name[keep - 1] >= 0xD800 && name[keep - 1] <= 0xDBFF) --keep;
    name.resize(keep);
  }
  return name;
}

std::u16string FormatElapsedTime(uint64_t milliseconds) {
  unsigned long long ms = milliseconds;
  unsigned long long seconds = ms / 1000;
  unsigned long long minutes = (ms / 60000) % 60;
  if (seconds >= 3600) return FormatAscii("%llu:%02llu:%02llu", seconds / 3600, minutes, seconds % 60);
  if (minutes != 0) return FormatAscii("%llu:%02llu min", minutes, seconds % 60);
  return FormatAscii("%llu.%03llu sec", seconds, ms % 1000);
}

int HtmlProgressStep(int lineCount) {
  if (lineCount <= 1000) return 50;
  return lineCount / 100;  // at least 10 here
}

std::u16string ExportProgressText(uint64_t wParam, int totalLines) {
  uint32_t line = static_cast<uint32_t>(wParam);
  if (line == 0xFFFFFFFFu) return u"Finalizing...";
  // 32-bit arithmetic as the window has always done it; unsigned so a wrap is defined.
  int percent = 0;
  if (totalLines > 0) percent = static_cast<int>(line * 100u / static_cast<uint32_t>(totalLines));
  return FormatAscii("Exporting line %u of %d  (%d%%)", static_cast<unsigned>(line), totalLines, percent);
}

std::u16string PreviewProgressText(uint64_t pages, int64_t lines) {
  if (lines >= 1)
    return FormatAscii("Paginating... page %d  (%d lines)", static_cast<int>(pages), static_cast<int>(lines));
  return FormatAscii("Paginating... page %d", static_cast<int>(pages));
}

std::u16string RtfProgressText(int64_t wParam) {
  if (wParam < 0) return u"Finalizing RTF...";
  return FormatAscii("Writing RTF...  %lld%%", static_cast<long long>(wParam));
}

std::string CssFontName(std::string_view nameUtf8) {
  std::string out;
  out.reserve(nameUtf8.size());
  for (char c : nameUtf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || std::string_view("'\"\\<>{};").find(c) != std::string_view::npos) continue;
    out.push_back(c);
  }
  return out;
}

// What every export shares: the table of formats, the size limits, proposed file names,
// elapsed-time texts and the texts of the progress window.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

struct ExportFormatRow {
  int formatId;
  const char16_t* label;        // the combo box text
  const char16_t* description;  // shown under the combo box
  const char16_t* extension;    // with the dot
  const char16_t* filterName;
  const char16_t* filterPattern;
};
constexpr int kExportFormatCount = 4;
extern const ExportFormatRow kExportFormats[kExportFormatCount];
constexpr int kFormatPdf = 0, kFormatHtml = 1, kFormatRtf = 2, kFormatText = 3;

// The row with this id, or null.
const ExportFormatRow* FindExportFormat(int formatId);

// At least three characters ending in ".md", any case.
bool IsMarkdownPath(std::u16string_view path);

// The largest line count exported in this format without the viewer question; -1 = no limit.
int ExportLineLimit(int formatId, bool markdown);

// The text after the last '\' or '/', or "Untitled" for an empty path.
std::u16string DocumentNameOf(std::u16string_view path);

// The save dialog's proposed name: the document's file name with its last extension
// replaced by `extension` (appended when the name has no dot), cut to 259 characters;
// empty for an untitled document.
std::u16string ProposedExportName(std::u16string_view documentPath, std::u16string_view extension);

// "1.234 sec", "1:05 min", "1:02:03"; at most 31 characters.
std::u16string FormatElapsedTime(uint64_t milliseconds);

// HTML export: progress is posted for line indexes divisible by this step.
int HtmlProgressStep(int lineCount);

// The progress window's text for WMU_EXPORT_PROGRESS (wParam as posted; 0xFFFFFFFF in its
// low 32 bits means "Finalizing...").
std::u16string ExportProgressText(uint64_t wParam, int totalLines);
// The RTF window's text for WMU_RTF_PROGRESS.
std::u16string RtfProgressText(int64_t wParam);
// The print preview's text for WMU_PREVIEW_PROGRESS: pages so far, and the document's lines
// when there are any.
std::u16string PreviewProgressText(uint64_t pages, int64_t lines);

// A font name as it may stand in a style sheet's quoted font-family: the characters that could
// end the string, the rule or the <style> element (' " \ < > { } ;) and control characters are
// left out. The name comes from the settings file, which may hold anything.
std::string CssFontName(std::string_view nameUtf8);

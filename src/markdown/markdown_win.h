// The Markdown page in the browser: the preview command and the HTML export of Markdown
// documents, rendered on a thread of their own under the progress window.
#pragma once
#include <functional>
#include <string>

#include "common/win.h"
#include "markdown/markdown_html.h"

// Renders the document into `outputPath`, or for an empty path into a time-stamped temporary
// page that is then opened in the browser (or a viewer when nothing opens it).
bool ExportMarkdown(HWND owner, const std::u16string& outputPath);

// The "MD Preview (HTML)" command, with its line limit.
void ShowMarkdownPreview(HWND owner);

// The page style of the document as the editor shows it now (name, theme, font).
MarkdownPageStyle CurrentMarkdownStyle();

// Writes the rendered page of `text` to `outputPath`; false for an empty text (no file) or
// when the file cannot be written (then *writeFailed is set).
bool RenderMarkdownToHtml(const std::u16string& outputPath, const std::u16string& text, const MarkdownPageStyle& style,
                          bool* writeFailed = nullptr);
